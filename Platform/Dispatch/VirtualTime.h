#pragma once

#include <memory>

namespace platform {

class MainQueue;
class VirtualClock;

// Drives a main queue on a virtual clock: nothing sleeps, time moves only in advance().
// Use it from the thread that made the queue (the test's thread), which then acts as the
// main thread.
class VirtualTime {
 public:
  VirtualTime(std::shared_ptr<VirtualClock> clock, std::shared_ptr<MainQueue> mainQueue);

  // Moves the clock `seconds` forward, stopping at each deadline on the way to run the work
  // due there, on the calling thread, in deadline order (equal deadlines in submission order).
  // Work scheduled by that work runs too when it comes due within the same advance.
  // advance(0) runs what is already due.
  void advance(double seconds);

 private:
  std::shared_ptr<VirtualClock> clock_;
  std::shared_ptr<MainQueue> mainQueue_;
};

}  // namespace platform
