#pragma once

#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Core/Geometry.h"

namespace platform {

// The simulated desktop's screens and mouse. Frames and the mouse location are in screen
// coordinates: origin at the bottom left of the primary screen (the first in the list), y
// growing upwards. Thread-safe.
class Screens {
 public:
  // The frames in the desktop's order, the primary screen first.
  std::vector<Rect> screens() const;
  // The screen with the keyboard focus; the primary one here. None without screens.
  std::optional<Rect> mainScreen() const;
  Point mouseLocation() const;

  // --- The desktop side ----------------------------------------------------------------------
  void setScreens(std::vector<Rect> frames);
  void setMouseLocation(Point location);

 private:
  mutable std::mutex mutex_;
  std::vector<Rect> frames_;
  Point mouse_;
};

// Whether `point` lies inside `rect`, the bottom and left edges included and the top and right
// edges not, as the desktop tests a mouse location.
bool rectContainsPoint(const Rect& rect, Point point);
// Whether `inner` lies wholly inside `outer`, edges included.
bool rectContainsRect(const Rect& outer, const Rect& inner);

}  // namespace platform
