#include "Platform/Dispatch/Timer.h"

#include <utility>

namespace platform {

Timer::Timer(std::chrono::nanoseconds interval, bool repeats, Tick tick)
    : interval_(interval), repeats_(repeats), tick_(std::move(tick)) {}

void Timer::invalidate() { valid_ = false; }

bool Timer::isValid() const { return valid_; }

bool Timer::fire() {
  if (!isValid()) return false;
  tick_(*this);
  if (!repeats_) invalidate();
  return isValid();
}

}  // namespace platform
