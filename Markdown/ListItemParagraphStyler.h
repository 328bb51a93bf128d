#pragma once

#include <memory>

#include "Markdown/ListItemOptions.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/ParagraphStyle.h"

namespace markdown {

// Paragraph styles of list items. Items have a marker column wide enough for `maxPrefixDigits`
// digits and a full stop, in the marker font; their text starts `spacingAfterPrefix` after it.
// The marker font is measured once, when the styler is made. Points throughout.
class ListItemParagraphStyler {
 public:
  ListItemParagraphStyler(ListItemOptions options, const platform::Font& prefixFont);

  const ListItemOptions& options() const { return options_; }
  double largestPrefixWidth() const { return largestPrefixWidth_; }
  // Where an item's text starts.
  double contentIndent() const { return largestPrefixWidth_ + options_.spacingAfterPrefix; }
  // A new style for the paragraphs of an item after its first.
  std::shared_ptr<platform::ParagraphStyle> followingParagraphStyle() const;
  // A new style for an item's first paragraph, whose marker is `prefixWidth` wide: the marker
  // ends where the column does, and its tab reaches the text (or goes further for a marker wider
  // than the column).
  std::shared_ptr<platform::ParagraphStyle> firstParagraphStyle(double prefixWidth) const;

 private:
  ListItemOptions options_;
  double largestPrefixWidth_;
};

}  // namespace markdown
