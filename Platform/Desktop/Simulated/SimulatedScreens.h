#pragma once

#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Core/Geometry.h"
#include "Platform/Desktop/Screens.h"

namespace platform {

// The simulated desktop's screens and mouse. Frames and the mouse location are in screen
// coordinates: origin at the bottom left of the primary screen (the first in the list), y
// growing upwards. Thread-safe.
class SimulatedScreens final : public Screens {
 public:
  // The frames in the desktop's order, the primary screen first.
  std::vector<Rect> screens() const override;
  // The screen with the keyboard focus; the primary one here. None without screens.
  std::optional<Rect> mainScreen() const override;
  Point mouseLocation() const override;

  // --- The desktop side ----------------------------------------------------------------------
  void setScreens(std::vector<Rect> frames);
  void setMouseLocation(Point location);

 private:
  mutable std::mutex mutex_;
  std::vector<Rect> frames_;
  Point mouse_;
};

}  // namespace platform
