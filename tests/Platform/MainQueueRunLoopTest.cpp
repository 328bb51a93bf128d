#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/SystemClock.h"

namespace {

// The real driver: run() on a thread of its own, fed from other threads. Nothing here waits
// for time to pass; the queue's own ordering tells when everything has run.
class MainQueueRunLoop : public ::testing::Test {
 protected:
  std::shared_ptr<platform::MainQueue> queue =
      std::make_shared<platform::MainQueue>(std::make_shared<platform::SystemClock>());
};

TEST_F(MainQueueRunLoop, RunsWorkPostedFromOtherThreadsOnItsThreadAndStopsCleanly) {
  std::atomic<std::thread::id> runLoopThread;
  std::thread runner([&] {
    runLoopThread = std::this_thread::get_id();
    queue->run();
  });

  int count = 0;  // touched only on the run loop's thread
  std::atomic<int> offMainThread{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        queue->async([&] {
          ++count;
          if (!queue->isMainThread() || std::this_thread::get_id() != runLoopThread.load()) ++offMainThread;
        });
      }
    });
  }
  for (auto& poster : posters) poster.join();
  // Posted after everything else, so it runs last.
  queue->async([&] { queue->stop(); });
  runner.join();

  EXPECT_EQ(count, 2000);
  EXPECT_EQ(offMainThread, 0);
}

TEST_F(MainQueueRunLoop, DelayedWorkAndTimersComeDueOnTheRealClock) {
  std::vector<int> order;
  queue->asyncAfter(0.02, [&] { order.push_back(2); });
  queue->asyncAfter(0.01, [&] { order.push_back(1); });
  queue->scheduleTimer(0.005, true, [&](platform::Timer& timer) {
    if (order.size() >= 2) {
      timer.invalidate();
      queue->stop();
    }
  });
  queue->run();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(MainQueueRunLoop, StopBeforeRunMakesRunReturnAtOnceAndOnlyOnce) {
  queue->stop();
  queue->run();  // returns at once

  bool ran = false;
  queue->async([&] {
    ran = true;
    queue->stop();
  });
  queue->run();
  EXPECT_TRUE(ran);
}

TEST_F(MainQueueRunLoop, StopFromAnotherThreadWakesAnIdleRunLoop) {
  std::promise<void> started;
  std::thread runner([&] { queue->run(); });
  queue->async([&] { started.set_value(); });
  // Once the run loop has taken that work it goes idle; stop it from here.
  started.get_future().wait();
  queue->stop();
  runner.join();
  EXPECT_FALSE(queue->nextDeadline().has_value());
}

}  // namespace
