#pragma once

#include <chrono>
#include <memory>

namespace platform {

// A source of time with two readings: wall time, for what the user sees and what is stored,
// and monotonic time, for measuring intervals and scheduling work. Implementations are safe
// to read from any thread.
class Clock {
 public:
  virtual ~Clock() = default;

  // Seconds since 1970-01-01 00:00:00 UTC, with fraction. May jump when the time is set.
  virtual double wallTime() const = 0;

  // Time since boot; never goes backwards.
  virtual std::chrono::nanoseconds monotonicTime() const = 0;

  // monotonicTime() in seconds, with fraction.
  double monotonicSeconds() const;

  // The clock of the installed environment (see Environment).
  static std::shared_ptr<Clock> current();
};

// Converts a delay or interval given in seconds to whole nanoseconds, rounding to the
// nearest one, so that 0.1 + 0.2 seconds of delay equal 0.3 seconds exactly. Negative and
// not-a-number values count as zero; values beyond a century are clamped to a century.
std::chrono::nanoseconds durationFromSeconds(double seconds);

}  // namespace platform
