#pragma once

#include <mutex>

#include "Platform/Desktop/Screens.h"

namespace platform {

// The monitors of an X11 display (XRandR) and the pointer, on a display connection of its own.
// X11 counts from the top left of the whole screen with y growing downwards; the frames and the
// mouse location are turned here, and only here, into screen coordinates with their origin at
// the bottom left of the primary monitor. Thread-safe.
class LinuxScreens final : public Screens {
 public:
  // Throws std::runtime_error when the display cannot be opened.
  LinuxScreens();
  ~LinuxScreens() override;
  LinuxScreens(const LinuxScreens&) = delete;
  LinuxScreens& operator=(const LinuxScreens&) = delete;

  std::vector<Rect> screens() const override;
  std::optional<Rect> mainScreen() const override;
  Point mouseLocation() const override;

  // The frames as X11 gives them (top-left origin), the primary monitor first.
  std::vector<Rect> x11Frames() const;

 private:
  mutable std::mutex mutex_;
  void* display_ = nullptr;  // Display*
};

// Turns a rectangle with its origin at the top left of the X11 screen into screen coordinates
// (origin at the bottom left of the primary monitor, whose frame in X11 terms is `primary`).
Rect fromX11Coordinates(const Rect& rect, const Rect& primary);

}  // namespace platform
