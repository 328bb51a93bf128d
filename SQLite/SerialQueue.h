#pragma once

#include <sqlite3.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace sql {

// Serialises the work of one connection. Work runs on the calling thread: in place when this
// queue is already current on the thread (so nested use never dead-locks), otherwise under
// the queue's lock, with the queue marked current on the thread for the duration. Results and
// exceptions of the work pass through unchanged. Thread-safe.
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
  bool isCurrent() const noexcept;

  template <class Work>
  std::invoke_result_t<Work&> sync(Work&& work) {
    if (isCurrent()) return work();
    Lock lock(mutex_);
    Marker marker(*this);
    return work();
  }

 private:
  class Lock {
   public:
    explicit Lock(sqlite3_mutex* mutex) noexcept : mutex_(mutex) { sqlite3_mutex_enter(mutex_); }
    ~Lock() { sqlite3_mutex_leave(mutex_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    sqlite3_mutex* mutex_;
  };

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

  struct FreeMutex {
    void operator()(sqlite3_mutex* mutex) const noexcept { sqlite3_mutex_free(mutex); }
  };

  std::unique_ptr<sqlite3_mutex, FreeMutex> ownMutex_;
  sqlite3_mutex* mutex_;
};

}  // namespace sql
