#include "Platform/Dispatch/VirtualClock.h"

#include <cmath>

namespace platform {
namespace {

constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t startWallSeconds = 1'767'225'600;  // 2026-01-01 00:00:00 UTC
constexpr std::int64_t startMonotonicSeconds = 1000;

}  // namespace

VirtualClock::VirtualClock()
    : wallNanoseconds_(startWallSeconds * nanosecondsPerSecond),
      monotonicNanoseconds_(startMonotonicSeconds * nanosecondsPerSecond) {}

double VirtualClock::wallTime() const {
  const std::int64_t nanoseconds = wallNanoseconds_.load();
  // Split before converting so that the fraction keeps its precision.
  return static_cast<double>(nanoseconds / nanosecondsPerSecond) +
         static_cast<double>(nanoseconds % nanosecondsPerSecond) / 1e9;
}

std::chrono::nanoseconds VirtualClock::monotonicTime() const {
  return std::chrono::nanoseconds(monotonicNanoseconds_.load());
}

void VirtualClock::advanceBy(std::chrono::nanoseconds duration) {
  if (duration.count() <= 0) return;
  wallNanoseconds_ += duration.count();
  monotonicNanoseconds_ += duration.count();
}

void VirtualClock::setWallTime(double secondsSince1970) {
  const double whole = std::floor(secondsSince1970);
  wallNanoseconds_ = static_cast<std::int64_t>(whole) * nanosecondsPerSecond +
                     std::llround((secondsSince1970 - whole) * 1e9);
}

}  // namespace platform
