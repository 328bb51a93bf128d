#include "Platform/Dispatch/SystemClock.h"

namespace platform {

double SystemClock::wallTime() const {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::chrono::nanoseconds SystemClock::monotonicTime() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace platform
