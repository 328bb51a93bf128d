#pragma once

#include "Platform/Text/TextAlignment.h"

namespace markdown {

// How list items are laid out. Lengths in points.
struct ListItemOptions {
  unsigned maxPrefixDigits = 2;   // how many digits the marker column is sized for
  double spacingAfterPrefix = 8;  // gap between the marker column and the item's text
  double spacingAbove = 4;        // paragraph spacing before each item paragraph
  double spacingBelow = 4;        // paragraph spacing after each item paragraph
  platform::TextAlignment alignment =
      platform::TextAlignment::natural;  // of item paragraphs and the marker tab
};

}  // namespace markdown
