#pragma once

#include <string_view>

#include "Platform/Text/AttributedString.h"

namespace markdown {

// Builds an attributed string from an HTML text, as a desktop's HTML import does: the text is
// parsed by gumbo, blocks become paragraphs ending in a line feed, <br> becomes U+2028, white
// space outside <pre> collapses, and elements map to attributes: headings (bold, 24 down to 8
// points), <strong>/<b> bold, <em>/<i> italic, <a href> a link, list items a marker ("•" or
// the number and a full stop) and a tab with an indented paragraph style, block quotes an
// indent. Font families come from the <style> elements' font-family rules (see
// StyleSheetFontRules), else "DejaVu Sans" (and "DejaVu Sans Mono" for code, pre, kbd, samp,
// tt); body text is 12 points.
class HTMLAttributedStringImporter {
 public:
  // Throws MarkdownErrors::htmlDataConversionError when `html` is not valid UTF-8.
  static platform::AttributedString attributedString(std::string_view html);
};

}  // namespace markdown
