#include "Markdown/RenderedText.h"

#include "Markdown/MarkdownErrors.h"
#include "Platform/Core/Unicode.h"

#include <cstdlib>
#include <memory>

namespace markdown {

namespace {

struct BufferFree {
  void operator()(char* buffer) const noexcept { std::free(buffer); }
};

}  // namespace

std::string takeRenderedText(char* buffer) {
  const std::unique_ptr<char, BufferFree> owned(buffer);
  if (owned == nullptr) {
    throw MarkdownErrors(MarkdownErrors::astRenderingError);
  }
  std::string text(owned.get());
  if (!platform::unicode::isValidUTF8(text)) {
    throw MarkdownErrors(MarkdownErrors::astRenderingError);
  }
  return text;
}

}  // namespace markdown
