#pragma once

#include <functional>
#include <memory>

#include "Platform/Core/Environment.h"
#include "Platform/Desktop/Simulated/SimulatedDesktop.h"
#include "Platform/Dispatch/VirtualTime.h"

namespace platform {

class VirtualClock;

// For tests: installs a fresh environment on virtual time for its lifetime and puts the
// previous one back afterwards. The environment has a virtual clock, a main queue driven by
// advance() on the thread that made this object, a real task pool, a notification centre and
// an empty in-memory user-defaults store, and a fresh simulated desktop. A test may replace the store or add
// services; the clock and the main queue stay as made.
//
//   platform::VirtualEnvironment environment;
//   platform::MainQueue::main()->asyncAfter(0.3, [&] { fired = true; });
//   environment.advance(0.3);
class VirtualEnvironment {
 public:
  VirtualEnvironment();
  // Waits for the task pool's work to finish, then restores the previous environment.
  ~VirtualEnvironment();
  VirtualEnvironment(const VirtualEnvironment&) = delete;
  VirtualEnvironment& operator=(const VirtualEnvironment&) = delete;

  Environment& environment() { return *environment_; }
  VirtualClock& clock() { return *clock_; }
  // The desktop side of the environment's simulated desktop.
  SimulatedDesktop& desktop() { return desktop_; }

  // See VirtualTime::advance.
  void advance(double seconds);

  // Lets the task pool and the main queue settle: waits for the pool to go idle and runs the
  // main-queue work already due, until neither has anything left. Time does not move. Pool
  // work must not wait for main-queue work that has not come due.
  void runUntilIdle();

  // Runs the main-queue work that is due, and then the work that other threads (a server's,
  // a library's) post, until `condition` holds; the condition is checked on this thread after
  // each round. Time does not move. Gives up after `limitSeconds` of real time without the
  // condition, so that a broken test fails instead of hanging; answers whether it held.
  bool runUntil(const std::function<bool()>& condition, double limitSeconds = 30);

 private:
  std::shared_ptr<VirtualClock> clock_;
  SimulatedDesktop desktop_;
  std::shared_ptr<Environment> environment_;
  VirtualTime time_;
  std::shared_ptr<Environment> previous_;
};

}  // namespace platform
