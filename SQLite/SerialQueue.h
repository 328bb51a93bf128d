#pragma once

#include <mutex>
#include <type_traits>
#include <utility>

namespace sql {

// Serialises the work of one connection. Work runs on the calling thread: in place when this
// queue is already current on the thread (so nested use never dead-locks), otherwise under
// the queue's lock, with the queue marked current on the thread for the duration. Results and
// exceptions of the work pass through unchanged. Thread-safe.
class SerialQueue {
 public:
  SerialQueue() = default;
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // True when the calling thread is running work of this queue.
  bool isCurrent() const noexcept;

  template <class Work>
  std::invoke_result_t<Work&> sync(Work&& work) {
    if (isCurrent()) return work();
    std::lock_guard lock(mutex_);
    Marker marker(*this);
    return work();
  }

 private:
  // Marks the queue current on this thread from construction to destruction. The markers of
  // one thread form a chain, so a queue entered under another queue stays current too.
  class Marker {
   public:
    explicit Marker(const SerialQueue& queue) noexcept;
    ~Marker();
    Marker(const Marker&) = delete;
    Marker& operator=(const Marker&) = delete;

   private:
    friend class SerialQueue;
    const SerialQueue* queue_;
    const Marker* outer_;
  };

  std::mutex mutex_;
};

}  // namespace sql
