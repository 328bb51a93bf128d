#pragma once

#include <atomic>
#include <cstdint>

#include "Platform/Dispatch/Clock.h"

namespace platform {

// A clock that moves only when told to. Tests use it (through VirtualTime or
// VirtualEnvironment) so that nothing sleeps. Thread-safe.
class VirtualClock final : public Clock {
 public:
  // Starts at 2026-01-01 00:00:00 UTC and 1000 s after boot, so that "zero" never looks like
  // a moment that has just passed.
  VirtualClock();

  double wallTime() const override;
  std::chrono::nanoseconds monotonicTime() const override;

  // Moves both readings forward by `duration`; a negative duration is ignored.
  void advanceBy(std::chrono::nanoseconds duration);

  // Sets the wall time alone, as a user changing the system time would; monotonic time stays.
  void setWallTime(double secondsSince1970);

 private:
  std::atomic<std::int64_t> wallNanoseconds_;
  std::atomic<std::int64_t> monotonicNanoseconds_;
};

}  // namespace platform
