#pragma once

#include <optional>
#include <vector>

#include "Platform/Core/Geometry.h"

namespace platform {

// The screens and the mouse. Frames and the mouse location are in screen coordinates: origin
// at the bottom left of the primary screen (the first in the list), y growing upwards.
// Implementations are thread-safe.
class Screens {
 public:
  virtual ~Screens() = default;

  // The frames in the desktop's order, the primary screen first.
  virtual std::vector<Rect> screens() const = 0;
  // The screen with the keyboard focus. None without screens.
  virtual std::optional<Rect> mainScreen() const = 0;
  virtual Point mouseLocation() const = 0;
};

// Whether `point` lies inside `rect`, the bottom and left edges included and the top and right
// edges not, as the desktop tests a mouse location.
bool rectContainsPoint(const Rect& rect, Point point);
// Whether `inner` lies wholly inside `outer`, edges included.
bool rectContainsRect(const Rect& outer, const Rect& inner);

}  // namespace platform
