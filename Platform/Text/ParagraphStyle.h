#pragma once

#include <memory>
#include <vector>

#include "Platform/Text/TextAlignment.h"
#include "Platform/Text/TextTab.h"

namespace platform {

// How the lines of one paragraph are placed. Lengths in points. Paragraph styles are shared,
// mutable objects: an attributed string holds them through `ParagraphStyleRef`, so changing a
// style changes every text that refers to it; `copy()` makes an independent one.
struct ParagraphStyle {
  TextAlignment alignment = TextAlignment::natural;
  double firstLineHeadIndent = 0;  // start of the first line, from the text area's left edge
  double headIndent = 0;           // start of every other line
  double tailIndent = 0;           // > 0: line end from the left edge; <= 0: inset from the right edge
  double lineSpacing = 0;          // extra space below each line
  double paragraphSpacing = 0;     // extra space after the paragraph's last line
  double paragraphSpacingBefore = 0;
  std::vector<TextTab> tabStops;  // ascending by location; none means default stops every 28 pt

  std::shared_ptr<ParagraphStyle> copy() const { return std::make_shared<ParagraphStyle>(*this); }
  bool operator==(const ParagraphStyle&) const = default;
};

}  // namespace platform
