#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "Platform/Dispatch/Timer.h"
#include "Platform/Dispatch/WorkItem.h"

namespace platform {

class Clock;

// The main queue: all interface state is touched only from the work it runs, one piece at a
// time, on the main thread. Work runs in deadline order, equal deadlines in submission order.
//
// The same queue serves the application and the tests; only the driver differs:
// - the application calls run() on its main thread, which waits for work to come due on the
//   real clock until stop();
// - tests drive it on virtual time (VirtualTime, VirtualEnvironment), which steps the
//   virtual clock from deadline to deadline and calls runOneDue() on the test's thread.
//
// Scheduling is thread-safe. Work that throws is logged and does not stop the queue.
class MainQueue {
 public:
  // The clock decides when delayed work is due. The constructing thread is the main thread
  // until run() is called on another one.
  explicit MainQueue(std::shared_ptr<const Clock> clock);
  // Drops the work that has not run.
  ~MainQueue();
  MainQueue(const MainQueue&) = delete;
  MainQueue& operator=(const MainQueue&) = delete;

  // Runs `work` as soon as the queue reaches it.
  void async(std::function<void()> work);
  void async(std::shared_ptr<WorkItem> item);

  // Runs the work `seconds` (of the queue's clock) from now; a delay of zero or less is `async`.
  void asyncAfter(double seconds, std::function<void()> work);
  void asyncAfter(double seconds, std::shared_ptr<WorkItem> item);

  // Schedules a timer whose first tick comes `intervalSeconds` from now. Intervals below
  // 0.1 ms are raised to 0.1 ms so that a repeating timer cannot starve the queue.
  std::shared_ptr<Timer> scheduleTimer(double intervalSeconds, bool repeats, Timer::Tick tick);

  // True on the thread that runs (or, before run(), made) this queue.
  bool isMainThread() const;

  // The real driver: makes the calling thread the main thread and runs work as it comes due
  // until stop(). Returns at once when stop() was called before.
  void run();

  // Thread-safe. Makes run() return after the work in progress.
  void stop();
  // Thread-safe. Whether stop() was called: work that holds the queue for long (a modal
  // dialog) ends early.
  bool stopRequested() const;

  // Another event loop as the real driver (the toolkit's, in the application), so that its
  // callbacks and this queue's work share one thread and never race. `loop` is what run()
  // does instead of its own waiting: it makes the calling thread the main thread, runs due
  // work through runOneDue() until takeStopRequest() answers true, and returns. `wake` is
  // called on any thread, with no lock of the queue held, whenever work is queued or stop()
  // is called, so that the loop looks at nextDeadline() again. Set both before run().
  void setForeignLoop(std::function<void(MainQueue&)> loop, std::function<void()> wake);
  // Whether stop() was called since the last answer; clears the request.
  bool takeStopRequest();
  // Makes the calling thread the main thread (for a foreign loop).
  void becomeMainThread() { mainThread_ = std::this_thread::get_id(); }

  // The earliest deadline of the pending work, on the clock's monotonic time; none when idle.
  std::optional<std::chrono::nanoseconds> nextDeadline() const;
  // How long until the earliest pending work is due on the clock (zero when it is); none when idle.
  std::optional<std::chrono::nanoseconds> timeUntilDue() const;

  // Runs the earliest pending work if its deadline has come on the clock, on the calling
  // thread; answers whether it ran something.
  bool runOneDue();

  // For drivers on virtual time: blocks until some pending work is due on the clock (posted
  // from another thread, say) or `limit` of real time has passed; answers whether work is due.
  bool waitForDueWork(std::chrono::nanoseconds limit) const;

  // The main queue of the installed environment (see Environment).
  static std::shared_ptr<MainQueue> main();

 private:
  struct Pending {
    std::chrono::nanoseconds deadline;
    std::uint64_t sequence;
    std::function<void()> work;
  };
  struct LaterFirst {
    bool operator()(const Pending& a, const Pending& b) const;
  };

  void enqueueAt(std::chrono::nanoseconds deadline, std::function<void()> work);
  void scheduleTick(std::shared_ptr<Timer> timer, std::chrono::nanoseconds deadline);

  const std::shared_ptr<const Clock> clock_;
  std::atomic<std::thread::id> mainThread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable wakeUp_;
  std::vector<Pending> pending_;  // a heap ordered by LaterFirst
  std::uint64_t nextSequence_ = 0;
  bool stopRequested_ = false;
  std::function<void(MainQueue&)> foreignLoop_;
  std::function<void()> wake_;  // set before run(), then only read
};

}  // namespace platform
