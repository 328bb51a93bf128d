#include "Platform/Http/HttpCancellation.h"

#include <utility>

namespace platform {

void HttpCancellation::cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (wake_) wake_();
}

void HttpCancellation::setWake(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

}  // namespace platform
