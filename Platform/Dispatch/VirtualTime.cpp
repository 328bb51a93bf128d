#include "Platform/Dispatch/VirtualTime.h"

#include <utility>

#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/VirtualClock.h"

namespace platform {

VirtualTime::VirtualTime(std::shared_ptr<VirtualClock> clock, std::shared_ptr<MainQueue> mainQueue)
    : clock_(std::move(clock)), mainQueue_(std::move(mainQueue)) {}

void VirtualTime::advance(double seconds) {
  const auto target = clock_->monotonicTime() + durationFromSeconds(seconds);
  for (auto deadline = mainQueue_->nextDeadline(); deadline && *deadline <= target;
       deadline = mainQueue_->nextDeadline()) {
    clock_->advanceBy(*deadline - clock_->monotonicTime());
    mainQueue_->runOneDue();
  }
  clock_->advanceBy(target - clock_->monotonicTime());
}

}  // namespace platform
