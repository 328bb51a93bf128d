#include "Platform/Dispatch/WorkItem.h"

#include <utility>

namespace platform {

WorkItem::WorkItem(std::function<void()> work) : work_(std::move(work)) {}

void WorkItem::perform() {
  if (!isCancelled() && work_) work_();
}

void WorkItem::cancel() { cancelled_ = true; }

bool WorkItem::isCancelled() const { return cancelled_; }

}  // namespace platform
