#include "Platform/Desktop/Simulated/SimulatedScreens.h"

#include <utility>

namespace platform {

std::vector<Rect> SimulatedScreens::screens() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

std::optional<Rect> SimulatedScreens::mainScreen() const {
  std::lock_guard lock(mutex_);
  if (frames_.empty()) return std::nullopt;
  return frames_.front();
}

Point SimulatedScreens::mouseLocation() const {
  std::lock_guard lock(mutex_);
  return mouse_;
}

void SimulatedScreens::setScreens(std::vector<Rect> frames) {
  std::lock_guard lock(mutex_);
  frames_ = std::move(frames);
}

void SimulatedScreens::setMouseLocation(Point location) {
  std::lock_guard lock(mutex_);
  mouse_ = location;
}

}  // namespace platform
