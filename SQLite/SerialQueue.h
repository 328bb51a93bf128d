#pragma once

#include "SQLite/EngineMutexLock.h"

#include <atomic>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>

namespace sql {

// Serialises the work of one connection. Work runs on the calling thread: in place when this
// queue is already current on the thread (so nested use never dead-locks), otherwise under
// the queue's lock, with the queue marked as the thread's for the duration. Each queue knows
// its own running thread, so a queue entered under another queue stays current too. Results
// and exceptions of the work pass through unchanged. Thread-safe.
//
// A connection's queue locks the connection's own engine mutex, so that work on the queue and
// the engine calls made outside it exclude each other through one lock, and engine values read
// on the queue are protected without taking the mutex again.
class SerialQueue {
 public:
  // A queue with a recursive mutex of its own.
  SerialQueue();
  // A queue locking `mutex`, which is borrowed: it must outlive the queue. A null mutex (an
  // engine built without threads) locks nothing.
  explicit SerialQueue(sqlite3_mutex* mutex) noexcept : mutex_(mutex) {}
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // True when the calling thread is running work of this queue.
  bool isCurrent() const noexcept {
    return runner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
  }

  template <class Work>
  std::invoke_result_t<Work&> sync(Work&& work) {
    const auto self = std::this_thread::get_id();
    if (runner_.load(std::memory_order_relaxed) == self) return work();
    EngineMutexLock lock(mutex_);
    Turn turn(runner_, self);
    return work();
  }

 private:
  // Names the running thread from construction to destruction, inside the lock. Only that
  // thread ever finds its own id there, so a relaxed read is enough for the in-place test.
  class Turn {
   public:
    Turn(std::atomic<std::thread::id>& runner, std::thread::id self) noexcept : runner_(runner) {
      runner_.store(self, std::memory_order_relaxed);
    }
    ~Turn() { runner_.store(std::thread::id(), std::memory_order_relaxed); }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

   private:
    std::atomic<std::thread::id>& runner_;
  };

  struct FreeMutex {
    void operator()(sqlite3_mutex* mutex) const noexcept;
  };

  std::unique_ptr<sqlite3_mutex, FreeMutex> ownMutex_;
  sqlite3_mutex* mutex_;
  std::atomic<std::thread::id> runner_;
};

}  // namespace sql
