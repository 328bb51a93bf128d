#pragma once

#include "Platform/Dispatch/Clock.h"

namespace platform {

// The operating system's clocks: the real-time clock for wall time and CLOCK_MONOTONIC
// (std::chrono::steady_clock) for monotonic time.
class SystemClock final : public Clock {
 public:
  double wallTime() const override;
  std::chrono::nanoseconds monotonicTime() const override;
};

}  // namespace platform
