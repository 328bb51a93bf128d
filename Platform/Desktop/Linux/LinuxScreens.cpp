#include "Platform/Desktop/Linux/LinuxScreens.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <stdexcept>

namespace platform {

Rect fromX11Coordinates(const Rect& rect, const Rect& primary) {
  return {rect.x - primary.x, primary.y + primary.height - (rect.y + rect.height), rect.width, rect.height};
}

LinuxScreens::LinuxScreens() {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) throw std::runtime_error("cannot open the X11 display named by DISPLAY");
}

LinuxScreens::~LinuxScreens() { XCloseDisplay(static_cast<Display*>(display_)); }

std::vector<Rect> LinuxScreens::x11Frames() const {
  std::lock_guard lock(mutex_);
  auto* connection = static_cast<Display*>(display_);
  std::vector<Rect> frames;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(connection, DefaultRootWindow(connection), True, &count);
  for (int i = 0; i < count; ++i) {
    const Rect frame{static_cast<double>(monitors[i].x), static_cast<double>(monitors[i].y),
                     static_cast<double>(monitors[i].width), static_cast<double>(monitors[i].height)};
    frames.push_back(frame);
    if (monitors[i].primary) std::rotate(frames.begin(), frames.end() - 1, frames.end());
  }
  if (monitors != nullptr) XRRFreeMonitors(monitors);
  if (frames.empty()) {
    // No XRandR monitors (an old server): the whole screen is the one monitor.
    const int screen = DefaultScreen(connection);
    frames.push_back({0, 0, static_cast<double>(DisplayWidth(connection, screen)),
                      static_cast<double>(DisplayHeight(connection, screen))});
  }
  return frames;
}

std::vector<Rect> LinuxScreens::screens() const {
  const auto frames = x11Frames();
  std::vector<Rect> converted;
  for (const auto& frame : frames) converted.push_back(fromX11Coordinates(frame, frames.front()));
  return converted;
}

std::optional<Rect> LinuxScreens::mainScreen() const {
  const auto all = screens();
  if (all.empty()) return std::nullopt;
  return all.front();
}

Point LinuxScreens::mouseLocation() const {
  const auto frames = x11Frames();
  std::lock_guard lock(mutex_);
  auto* connection = static_cast<Display*>(display_);
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned mask = 0;
  XQueryPointer(connection, DefaultRootWindow(connection), &root, &child, &rootX, &rootY, &x, &y, &mask);
  const auto point =
      fromX11Coordinates({static_cast<double>(rootX), static_cast<double>(rootY), 0, 0}, frames.front());
  return {point.x, point.y};
}

}  // namespace platform
