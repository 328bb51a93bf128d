#include "Platform/Desktop/Screens.h"

#include <utility>

namespace platform {

std::vector<Rect> Screens::screens() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

std::optional<Rect> Screens::mainScreen() const {
  std::lock_guard lock(mutex_);
  if (frames_.empty()) return std::nullopt;
  return frames_.front();
}

Point Screens::mouseLocation() const {
  std::lock_guard lock(mutex_);
  return mouse_;
}

void Screens::setScreens(std::vector<Rect> frames) {
  std::lock_guard lock(mutex_);
  frames_ = std::move(frames);
}

void Screens::setMouseLocation(Point location) {
  std::lock_guard lock(mutex_);
  mouse_ = location;
}

bool rectContainsPoint(const Rect& rect, Point point) {
  return point.x >= rect.minX() && point.x < rect.maxX() && point.y >= rect.minY() && point.y < rect.maxY();
}

bool rectContainsRect(const Rect& outer, const Rect& inner) {
  return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() && inner.minY() >= outer.minY() &&
         inner.maxY() <= outer.maxY();
}

}  // namespace platform
