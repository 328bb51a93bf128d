#pragma once

#include <string>

#include "Platform/Text/Color.h"

namespace markdown {

// Under the key "blockBackgroundColor": a code or HTML block's background, drawn by
// MarkdownLayoutManager behind the text and `inset` points beyond it on every side.
struct BlockBackgroundColorAttribute {
  static inline const std::string key = "blockBackgroundColor";

  platform::Color color;
  double inset = 0;

  bool operator==(const BlockBackgroundColorAttribute&) const = default;
};

}  // namespace markdown
