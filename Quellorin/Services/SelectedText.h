#pragma once

#include <optional>
#include <string>

#include "Platform/Core/Geometry.h"

namespace quellorin {

// What the global shortcut captures: the selected text, when the application copied one, and
// the selection's rectangle in screen coordinates (origin at the bottom left of the primary
// screen), when the Accessibility interface could tell.
struct SelectedText {
  std::optional<std::string> text;
  std::optional<platform::Rect> rect;
};

}  // namespace quellorin
