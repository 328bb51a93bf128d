#include "Platform/Dispatch/Clock.h"

#include <cmath>

#include "Platform/Core/Environment.h"

namespace platform {

double Clock::monotonicSeconds() const { return std::chrono::duration<double>(monotonicTime()).count(); }

std::shared_ptr<Clock> Clock::current() { return Environment::current()->clock; }

std::chrono::nanoseconds durationFromSeconds(double seconds) {
  constexpr double century = 100.0 * 365.25 * 24 * 3600;
  if (!(seconds > 0)) return std::chrono::nanoseconds::zero();  // also catches NaN
  return std::chrono::nanoseconds(std::llround(std::min(seconds, century) * 1e9));
}

}  // namespace platform
