// Arbitrary bytes as Markdown through the styler road (attributed string and layout), and as
// HTML with a style sheet through the HTML import.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Markdown/HTMLAttributedStringImporter.h"
#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/MarkdownLayoutManager.h"
#include "Markdown/MarkdownStyler.h"
#include "Platform/Text/TextStorage.h"

// fontconfig, reached through Pango, keeps caches for the life of the process; they are not
// leaks of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto styler =
      std::make_shared<markdown::MarkdownStyler>(markdown::MarkdownStylerConfiguration::standard());
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    platform::TextStorage storage(
        markdown::Markdown(text).toAttributedString(markdown::MarkdownOptions::hardBreaks, styler));
    auto layout = std::make_shared<markdown::MarkdownLayoutManager>();
    layout->addTextContainer(std::make_shared<platform::TextContainer>(platform::Size{300, 0}));
    storage.addLayoutManager(layout);
    layout->lineFragments();
  } catch (const markdown::MarkdownErrors&) {
  }
  try {
    markdown::HTMLAttributedStringImporter::attributedString(text);
  } catch (const markdown::MarkdownErrors&) {
  }
  return 0;
}
