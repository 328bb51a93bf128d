#pragma once

#include <atomic>
#include <chrono>
#include <functional>

namespace platform {

// A timer on the main queue, made by MainQueue::scheduleTimer. The queue keeps a scheduled
// timer alive until it is invalidated; callers may drop their pointer to it.
//
// The first tick comes one interval after scheduling. A repeating timer then ticks at whole
// multiples of its interval from that start; ticks missed while the run loop was busy are
// skipped, not bunched up. A one-shot timer invalidates itself after its tick.
class Timer {
 public:
  // Called on the main thread with the timer itself, so that a tick may invalidate it.
  using Tick = std::function<void(Timer&)>;

  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Thread-safe, and allowed from inside the timer's own tick: no tick starts afterwards.
  void invalidate();

  bool isValid() const;
  std::chrono::nanoseconds interval() const { return interval_; }
  bool repeats() const { return repeats_; }

 private:
  friend class MainQueue;

  Timer(std::chrono::nanoseconds interval, bool repeats, Tick tick);

  // Runs one tick if still valid; answers whether the timer wants another one.
  bool fire();

  const std::chrono::nanoseconds interval_;
  const bool repeats_;
  Tick tick_;
  std::atomic<bool> valid_{true};
};

}  // namespace platform
