#pragma once

#include <string>

#include "Platform/Text/Color.h"

namespace markdown {

// Under the key "thematicBreak": a horizontal rule across the line of the text it is set on.
struct ThematicBreakAttribute {
  static inline const std::string key = "thematicBreak";

  double thickness = 0;
  platform::Color color;

  bool operator==(const ThematicBreakAttribute&) const = default;
};

}  // namespace markdown
