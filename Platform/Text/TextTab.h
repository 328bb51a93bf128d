#pragma once

#include "Platform/Text/TextAlignment.h"

namespace platform {

// A tab stop: where the text after a tab character starts, in points from the left edge of the
// line fragment's text area.
struct TextTab {
  TextAlignment alignment = TextAlignment::natural;
  double location = 0;
  bool operator==(const TextTab&) const = default;
};

}  // namespace platform
