#include "SQLite/SerialQueue.h"

namespace sql {
namespace {

thread_local const void* innermostMarker = nullptr;

}  // namespace

SerialQueue::SerialQueue() : ownMutex_(sqlite3_mutex_alloc(SQLITE_MUTEX_RECURSIVE)), mutex_(ownMutex_.get()) {}

SerialQueue::Marker::Marker(const SerialQueue& queue) noexcept
    : queue_(&queue), outer_(static_cast<const Marker*>(innermostMarker)) {
  innermostMarker = this;
}

SerialQueue::Marker::~Marker() { innermostMarker = outer_; }

bool SerialQueue::isCurrent() const noexcept {
  for (auto marker = static_cast<const Marker*>(innermostMarker); marker; marker = marker->outer_) {
    if (marker->queue_ == this) return true;
  }
  return false;
}

}  // namespace sql
