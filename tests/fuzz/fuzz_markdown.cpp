// Arbitrary bytes through the HTML, XML and CommonMark conversions and the debug tree: text
// that is not UTF-8 is refused (unless repair is asked for) and nothing else; every output is
// well-formed UTF-8; unsafe HTML is left out unless asked for.
#include "Markdown/DebugVisitor.h"
#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Platform/Core/Unicode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using markdown::MarkdownOptions;

// The first byte picks the options, so that hard breaks, unsafe HTML, source positions,
// smart punctuation and UTF-8 repair are all reached.
MarkdownOptions optionsFrom(std::uint8_t byte) {
  MarkdownOptions options;
  const MarkdownOptions choices[] = {MarkdownOptions::sourcePos, MarkdownOptions::hardBreaks,
                                     MarkdownOptions::unsafe,    MarkdownOptions::validateUTF8,
                                     MarkdownOptions::smart,     MarkdownOptions(1 << 4)};
  for (std::size_t bit = 0; bit < std::size(choices); ++bit) {
    if ((byte >> bit) & 1) {
      options |= choices[bit];
    }
  }
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const MarkdownOptions options = optionsFrom(data[0]);
  const markdown::Markdown text(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  const bool accepted = options.contains(MarkdownOptions::validateUTF8) ||
                        platform::unicode::isValidUTF8(text.markdownString());
  try {
    const std::string html = text.toHTML(options);
    if (!platform::unicode::isValidUTF8(html)) std::abort();
    if (!options.contains(MarkdownOptions::unsafe) && html.find("<script") != std::string::npos) std::abort();
    if (!platform::unicode::isValidUTF8(text.toXML(options))) std::abort();
    if (!platform::unicode::isValidUTF8(text.toCommonMark(options, static_cast<int>(data[0] >> 6) * 20)))
      std::abort();
  } catch (const markdown::MarkdownErrors&) {
    // Text that is not UTF-8 is refused, and only that.
    if (accepted) std::abort();
    return 0;
  }
  if (!accepted) std::abort();
  try {
    markdown::DebugVisitor visitor;
    text.toDocument(options)->accept(visitor);
  } catch (const markdown::MarkdownErrors&) {
    // A tree nested too deeply for the visitors is refused; that is the expected answer.
  }
  return 0;
}
