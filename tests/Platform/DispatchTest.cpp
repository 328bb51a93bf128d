#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <future>
#include <limits>
#include <memory>
#include <optional>
#include <semaphore>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Core/Log.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/SystemClock.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Dispatch/VirtualClock.h"
#include "Platform/Dispatch/VirtualTime.h"

namespace {

using namespace std::chrono_literals;

// A main queue on a virtual clock, driven from the test's thread.
class MainQueueTest : public ::testing::Test {
 protected:
  // Seconds since the test started, on the virtual clock.
  double elapsed() const { return std::chrono::duration<double>(clock->monotonicTime() - start).count(); }
  // Work that notes its name and the virtual time it ran at.
  std::function<void()> note(std::string name) {
    return [this, name] { ran.push_back(name + " at " + std::to_string(elapsed())); };
  }

  std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
  std::shared_ptr<platform::MainQueue> queue = std::make_shared<platform::MainQueue>(clock);
  platform::VirtualTime time{clock, queue};
  const std::chrono::nanoseconds start = clock->monotonicTime();
  std::vector<std::string> ran;
};

TEST_F(MainQueueTest, RunsOnlyWhenAdvancedInDeadlineOrderEqualDeadlinesInSubmissionOrder) {
  queue->asyncAfter(1.0, note("1.0 first"));
  queue->asyncAfter(0.3, note("0.3"));
  queue->asyncAfter(1.0, note("1.0 second"));
  queue->async(note("now"));
  queue->asyncAfter(0.2, note("0.2"));
  queue->asyncAfter(2.0, note("2.0"));
  EXPECT_TRUE(ran.empty());
  time.advance(0);
  EXPECT_EQ(clock->monotonicTime(), start);
  time.advance(5.0);
  EXPECT_EQ(ran,
            (std::vector<std::string>{"now at 0.000000", "0.2 at 0.200000", "0.3 at 0.300000",
                                      "1.0 first at 1.000000", "1.0 second at 1.000000", "2.0 at 2.000000"}));
  EXPECT_DOUBLE_EQ(elapsed(), 5.0);
}

TEST_F(MainQueueTest, DelayedWorkRunsExactlyWhenItsDelayHasPassedInOneOrManySteps) {
  for (double delay : {0.2, 0.3, 1.0, 2.0}) {
    bool fired = false;
    queue->asyncAfter(delay, [&] { fired = true; });
    time.advance(delay - 0.001);
    EXPECT_FALSE(fired) << delay;
    time.advance(0.001);
    EXPECT_TRUE(fired) << delay;
  }
  bool fired = false;
  queue->asyncAfter(0.3, [&] { fired = true; });
  time.advance(0.1);
  time.advance(0.1);
  EXPECT_FALSE(fired);
  time.advance(0.1);
  EXPECT_TRUE(fired);
}

TEST_F(MainQueueTest, WorkScheduledByWorkRunsWithinTheSameAdvanceBehindWorkAlreadyDue) {
  queue->asyncAfter(0.2, [&] {
    note("outer")();
    queue->async(note("inner now"));
    queue->asyncAfter(0.3, note("inner later"));
    queue->asyncAfter(5.0, note("too late"));
  });
  queue->asyncAfter(0.2, note("due with outer"));
  queue->asyncAfter(0.4, note("sibling"));
  time.advance(1.0);
  EXPECT_EQ(ran, (std::vector<std::string>{"outer at 0.200000", "due with outer at 0.200000",
                                           "inner now at 0.200000", "sibling at 0.400000",
                                           "inner later at 0.500000"}));
  EXPECT_EQ(queue->nextDeadline(), start + 5200ms);
}

TEST_F(MainQueueTest, CancelledWorkItemsDoNotRunAndACancelAfterTheRunChangesNothing) {
  auto kept = std::make_shared<platform::WorkItem>(note("kept"));
  auto cancelled = std::make_shared<platform::WorkItem>(note("cancelled"));
  auto cancelledLater = std::make_shared<platform::WorkItem>(note("cancelled by work"));
  queue->async(kept);
  queue->asyncAfter(0.2, cancelled);
  queue->async([&] { cancelledLater->cancel(); });
  queue->asyncAfter(1.0, cancelledLater);
  cancelled->cancel();
  time.advance(0.5);
  kept->cancel();
  time.advance(2.0);
  EXPECT_EQ(ran, std::vector<std::string>{"kept at 0.000000"});
  EXPECT_TRUE(cancelled->isCancelled());
}

TEST_F(MainQueueTest, ARepeatingTimerTheQueueAloneHoldsTicksOncePerInterval) {
  std::vector<double> ticks;
  queue->scheduleTimer(1.0, true, [&](platform::Timer&) { ticks.push_back(elapsed()); });
  time.advance(0.999);
  EXPECT_TRUE(ticks.empty());
  time.advance(9.5);
  EXPECT_EQ(ticks, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  time.advance(0.501);
  EXPECT_EQ(ticks.size(), 11u);
}

TEST_F(MainQueueTest, ARepeatingTimerThatFellBehindSkipsTheTicksItMissed) {
  // As when the run loop was blocked (a modal alert): the clock moves on with nothing run.
  std::vector<double> ticks;
  queue->scheduleTimer(1.0, true, [&](platform::Timer&) { ticks.push_back(elapsed()); });
  clock->advanceBy(3500ms);
  while (queue->runOneDue()) {
  }
  EXPECT_EQ(ticks, std::vector<double>{3.5});
  EXPECT_EQ(queue->nextDeadline(), start + 4s);  // back on the grid of whole intervals
  time.advance(1.0);
  EXPECT_EQ(ticks, (std::vector<double>{3.5, 4.0}));
}

TEST_F(MainQueueTest, TimersStopWhenInvalidatedFromTheirTickOrOutsideAndOneShotsAfterOneTick) {
  int selfStopped = 0, stoppedOutside = 0, oneShot = 0;
  queue->scheduleTimer(1.0, true, [&](platform::Timer& timer) {
    if (++selfStopped == 3) timer.invalidate();
  });
  auto outside = queue->scheduleTimer(0.5, true, [&](platform::Timer&) { ++stoppedOutside; });
  auto shot = queue->scheduleTimer(0.3, false, [&](platform::Timer& self) {
    ++oneShot;
    EXPECT_TRUE(self.isValid());
  });
  time.advance(1.2);
  outside->invalidate();
  time.advance(10.0);
  EXPECT_EQ(selfStopped, 3);
  EXPECT_EQ(stoppedOutside, 2);
  EXPECT_EQ(oneShot, 1);
  EXPECT_FALSE(outside->isValid());
  EXPECT_FALSE(shot->isValid());
  EXPECT_FALSE(queue->nextDeadline().has_value());
}

TEST_F(MainQueueTest, AZeroIntervalTimerCannotStarveTheQueue) {
  int ticks = 0;
  auto timer = queue->scheduleTimer(0.0, true, [&](platform::Timer&) { ++ticks; });
  time.advance(0.001);
  EXPECT_EQ(ticks, 10);  // one tick per 0.1 ms
  EXPECT_EQ(timer->interval(), 100us);
}

TEST_F(MainQueueTest, WorkThatThrowsIsLoggedAndTheQueueGoesOn) {
  platform::LogCapture capture;
  queue->async([] { throw std::runtime_error("broken step"); });
  queue->async(note("after"));
  time.advance(0);
  EXPECT_EQ(ran, std::vector<std::string>{"after at 0.000000"});
  EXPECT_TRUE(capture.contains("broken step"));
}

TEST_F(MainQueueTest, WorkPostedFromOtherThreadsRunsOnTheAdvancingThread) {
  EXPECT_TRUE(queue->isMainThread());
  std::vector<std::thread> posters;
  int count = 0;
  bool allOnMain = true;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      EXPECT_FALSE(queue->isMainThread());
      for (int i = 0; i < 100; ++i) {
        queue->async([&] {
          ++count;
          allOnMain = allOnMain && queue->isMainThread();
        });
      }
    });
  }
  for (auto& poster : posters) poster.join();
  time.advance(0);
  EXPECT_EQ(count, 400);
  EXPECT_TRUE(allOnMain);
}

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

TEST(Clock, DurationsFromSecondsAreExactWholeNanoseconds) {
  EXPECT_EQ(platform::durationFromSeconds(0.1) + platform::durationFromSeconds(0.2),
            platform::durationFromSeconds(0.3));
  EXPECT_EQ(platform::durationFromSeconds(0.2), 200ms);
  EXPECT_EQ(platform::durationFromSeconds(2.0), 2s);
  EXPECT_EQ(platform::durationFromSeconds(1e-9), 1ns);
  EXPECT_EQ(platform::durationFromSeconds(-1.0), 0ns);
  EXPECT_EQ(platform::durationFromSeconds(std::numeric_limits<double>::quiet_NaN()), 0ns);
  EXPECT_EQ(platform::durationFromSeconds(std::numeric_limits<double>::infinity()),
            platform::durationFromSeconds(100.0 * 365.25 * 24 * 3600));
}

TEST(Clock, SystemClockReadsTheRealClocks) {
  platform::SystemClock clock;
  EXPECT_GT(clock.wallTime(), 1'600'000'000.0);  // after September 2020
  const auto first = clock.monotonicTime();
  const auto second = clock.monotonicTime();
  EXPECT_GT(first.count(), 0);
  EXPECT_LE(first, second);
  EXPECT_NEAR(clock.monotonicSeconds(), std::chrono::duration<double>(clock.monotonicTime()).count(), 1.0);
}

TEST(Clock, VirtualClockMovesOnlyWhenToldAndSettingTheWallTimeLeavesMonotonicTimeAlone) {
  platform::VirtualClock clock;
  const double wall = clock.wallTime();
  const auto monotonic = clock.monotonicTime();
  EXPECT_DOUBLE_EQ(wall, 1'767'225'600.0);
  EXPECT_GT(monotonic, 0ns);
  EXPECT_EQ(clock.monotonicTime(), monotonic);

  clock.advanceBy(1500ms);
  EXPECT_EQ(clock.monotonicTime(), monotonic + 1500ms);
  EXPECT_DOUBLE_EQ(clock.wallTime(), wall + 1.5);
  EXPECT_DOUBLE_EQ(clock.monotonicSeconds(), std::chrono::duration<double>(monotonic).count() + 1.5);

  clock.advanceBy(-5s);
  EXPECT_EQ(clock.monotonicTime(), monotonic + 1500ms);
  clock.setWallTime(1.5);
  EXPECT_DOUBLE_EQ(clock.wallTime(), 1.5);
  EXPECT_EQ(clock.monotonicTime(), monotonic + 1500ms);

  // A present-day time keeps its milliseconds.
  clock.setWallTime(1'767'225'600.125);
  EXPECT_DOUBLE_EQ(clock.wallTime(), 1'767'225'600.125);
  clock.advanceBy(1ms);
  EXPECT_NEAR(clock.wallTime(), 1'767'225'600.126, 1e-6);
}

TEST(TaskPool, RunsEverySubmittedPieceOffTheCallingThread) {
  platform::TaskPool pool(3);
  std::atomic<int> count{0};
  std::atomic<int> onWorker{0};
  for (int i = 0; i < 1000; ++i) {
    pool.async([&] {
      ++count;
      if (pool.isWorkerThread()) ++onWorker;
    });
  }
  pool.waitUntilIdle();
  EXPECT_EQ(count, 1000);
  EXPECT_EQ(onWorker, 1000);
  EXPECT_TRUE(pool.isIdle());
  EXPECT_FALSE(pool.isWorkerThread());
}

TEST(TaskPool, WorkMayWaitForOtherPoolWorkToSignalIt) {
  // A reader hands each chunk to a new piece of pool work and waits until it has been
  // handled, so that chunks are handled strictly in order.
  platform::TaskPool pool(2);
  std::vector<int> handled;
  pool.async([&] {
    std::binary_semaphore chunkDone(0);
    for (int chunk = 0; chunk < 50; ++chunk) {
      pool.async([&, chunk] {
        handled.push_back(chunk);
        chunkDone.release();
      });
      chunkDone.acquire();
    }
  });
  pool.waitUntilIdle();
  ASSERT_EQ(handled.size(), 50u);
  for (int chunk = 0; chunk < 50; ++chunk) EXPECT_EQ(handled[static_cast<size_t>(chunk)], chunk);
}

TEST(TaskPool, WorkThatThrowsIsLoggedAndThePoolGoesOn) {
  platform::LogCapture capture;
  platform::TaskPool pool(1);
  std::atomic<bool> after{false};
  pool.async([] { throw std::runtime_error("request failed"); });
  pool.async([&] { after = true; });
  pool.waitUntilIdle();
  EXPECT_TRUE(after);
  EXPECT_TRUE(capture.contains("request failed"));
}

TEST(TaskPool, WaitingForIdleFromInsideThePoolIsRefused) {
  platform::TaskPool pool(1);
  std::promise<std::string> refusal;
  pool.async([&] {
    try {
      pool.waitUntilIdle();
      refusal.set_value("");
    } catch (const std::logic_error& error) {
      refusal.set_value(error.what());
    }
  });
  EXPECT_NE(refusal.get_future().get(), "");
  pool.waitUntilIdle();
}

TEST(TaskPool, DestroyingThePoolRunsTheWorkAlreadySubmitted) {
  std::atomic<int> count{0};
  {
    platform::TaskPool pool(1);
    std::binary_semaphore gate(0);
    pool.async([&] { gate.acquire(); });
    for (int i = 0; i < 20; ++i) pool.async([&] { ++count; });
    gate.release();
  }
  EXPECT_EQ(count, 20);
}

TEST(TaskPool, APoolReleasedByItsOwnWorkShutsDownWithoutJoiningItself) {
  auto pool = std::make_shared<platform::TaskPool>(1);
  const std::weak_ptr<platform::TaskPool> watch = pool;
  std::binary_semaphore gate(0);
  std::promise<std::thread::id> releasedOn;
  std::promise<std::thread::id> laterWorkRanOn;
  auto* raw = pool.get();
  raw->async([&gate, pool = std::move(pool), &watch, &releasedOn]() mutable {
    gate.acquire();  // until the work behind this one is queued
    pool.reset();    // the last owner: the pool is destroyed here, on its own worker thread
    // Reached only when the destructor returned: joining this very thread would have ended
    // the process instead.
    releasedOn.set_value(watch.expired() ? std::this_thread::get_id() : std::thread::id());
  });
  raw->async([&laterWorkRanOn] { laterWorkRanOn.set_value(std::this_thread::get_id()); });
  gate.release();

  const auto worker = releasedOn.get_future().get();
  EXPECT_NE(worker, std::thread::id()) << "the pool outlived its last owner";
  EXPECT_NE(worker, std::this_thread::get_id());
  EXPECT_EQ(laterWorkRanOn.get_future().get(), worker) << "the detached worker drains what was submitted";
}

using Delivery = platform::NotificationCenter::Delivery;

class NotificationCenterTest : public ::testing::Test {
 protected:
  platform::VirtualEnvironment environment;
  platform::NotificationCenter& center = *platform::NotificationCenter::defaultCenter();
  std::vector<std::string> calls;
};

TEST_F(NotificationCenterTest, DeliversNameObjectAndUserInformation) {
  std::optional<platform::Notification> received;
  center.addObserver("sendEditorNotification", Delivery::postingThread,
                     [&](const platform::Notification& notification) { received = notification; });
  center.post("sendEditorNotification", "editor", {{"title", "标题"}, {"body", "text"}});
  ASSERT_TRUE(received.has_value());
  EXPECT_EQ(received->name, "sendEditorNotification");
  EXPECT_EQ(received->object, "editor");
  EXPECT_EQ(received->userInfo, (std::map<std::string, std::string>{{"title", "标题"}, {"body", "text"}}));

  center.post("sendEditorNotification");
  EXPECT_FALSE(received->object.has_value());
  EXPECT_TRUE(received->userInfo.empty());
}

TEST_F(NotificationCenterTest, OnlyObserversOfThePostedNameAreCalledInRegistrationOrder) {
  center.addObserver("PipelineUpdated", Delivery::postingThread, [&](auto&) { calls.push_back("first"); });
  center.addObserver("UserDidLogin", Delivery::postingThread, [&](auto&) { calls.push_back("other name"); });
  center.addObserver("PipelineUpdated", Delivery::mainQueue, [&](auto&) { calls.push_back("second"); });
  center.addObserver("PipelineUpdated", Delivery::postingThread, [&](auto&) { calls.push_back("third"); });
  center.post("PipelineUpdated");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "third"}));
  center.post("NobodyListens");
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(NotificationCenterTest, MainQueueObserversOfAPostFromAnotherThreadWaitForTheMainQueue) {
  std::atomic<int> onPoster{0};
  bool onMain = false;
  center.addObserver("processingStarted", Delivery::postingThread, [&](auto&) { ++onPoster; });
  center.addObserver("processingStarted", Delivery::mainQueue,
                     [&](auto&) { onMain = platform::MainQueue::main()->isMainThread(); });
  std::thread poster([&] { center.post("processingStarted"); });
  poster.join();
  EXPECT_EQ(onPoster, 1);
  EXPECT_FALSE(onMain);
  environment.advance(0);
  EXPECT_TRUE(onMain);
}

TEST_F(NotificationCenterTest, RemovedObserversAreNotCalledEvenDuringADelivery) {
  auto token =
      center.addObserver("UserInfoChanged", Delivery::postingThread, [&](auto&) { calls.push_back("x"); });
  center.post("UserInfoChanged");
  center.removeObserver(token);
  center.removeObserver(token);  // a second removal does nothing
  center.post("UserInfoChanged");
  EXPECT_EQ(calls.size(), 1u);

  platform::NotificationCenter::ObserverToken second;
  center.addObserver("processingEnded", Delivery::postingThread, [&](auto&) {
    calls.push_back("first");
    center.removeObserver(second);
  });
  second = center.addObserver("processingEnded", Delivery::postingThread,
                              [&](auto&) { calls.push_back("second"); });
  center.post("processingEnded");
  EXPECT_EQ(calls, (std::vector<std::string>{"x", "first"}));
}

TEST_F(NotificationCenterTest, AQueuedMainQueueDeliveryIsDroppedWhenTheObserverIsRemovedFirst) {
  auto token =
      center.addObserver("processingEnded", Delivery::mainQueue, [&](auto&) { calls.push_back("late"); });
  std::thread poster([&] { center.post("processingEnded", "error"); });
  poster.join();
  center.removeObserver(token);
  environment.advance(0);
  EXPECT_TRUE(calls.empty());
}

TEST_F(NotificationCenterTest, AnObserverMayRemoveItselfAddOthersAndPostFromItsCallback) {
  platform::NotificationCenter::ObserverToken self;
  self = center.addObserver("OpenSetting", Delivery::postingThread, [&](auto&) {
    calls.push_back("once");
    center.removeObserver(self);
    center.addObserver("OpenSetting", Delivery::postingThread, [&](auto&) { calls.push_back("added"); });
  });
  center.post("OpenSetting");
  EXPECT_EQ(calls, std::vector<std::string>{"once"});  // an observer added during a post waits for the next
  center.post("OpenSetting");
  EXPECT_EQ(calls, (std::vector<std::string>{"once", "added"}));

  center.addObserver("PipelineUpdated", Delivery::postingThread, [&](auto&) {
    calls.push_back("updated");
    center.post("UserInfoChanged");
  });
  center.addObserver("UserInfoChanged", Delivery::mainQueue, [&](auto&) { calls.push_back("info"); });
  center.post("PipelineUpdated");
  EXPECT_EQ(calls, (std::vector<std::string>{"once", "added", "updated", "info"}));
}

TEST_F(NotificationCenterTest, PostingFromManyThreadsDeliversEveryPost) {
  constexpr int threads = 8;
  constexpr int postsPerThread = 500;
  std::atomic<int> onPosters{0};
  int onMain = 0;
  center.addObserver("ApiUsageCountUpdated", Delivery::postingThread, [&](auto&) { ++onPosters; });
  center.addObserver("ApiUsageCountUpdated", Delivery::mainQueue, [&](auto&) { ++onMain; });
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < postsPerThread; ++i) center.post("ApiUsageCountUpdated");
    });
  }
  for (auto& poster : posters) poster.join();
  environment.advance(0);
  EXPECT_EQ(onPosters, threads * postsPerThread);
  EXPECT_EQ(onMain, threads * postsPerThread);
}

TEST_F(NotificationCenterTest, ObserversComeAndGoWhileOtherThreadsPost) {
  constexpr int posters = 4;
  std::atomic<int> postersDone{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < posters; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) center.post("UserDidLogin");
      ++postersDone;
    });
  }
  int afterRemoval = 0;
  while (postersDone < posters) {
    bool removed = false;  // both touched on this thread only
    const auto token = center.addObserver("UserDidLogin", Delivery::mainQueue, [&](auto&) {
      if (removed) ++afterRemoval;
    });
    environment.advance(0);
    center.removeObserver(token);
    removed = true;
    environment.advance(0);  // deliveries still queued for the removed observer are dropped
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(afterRemoval, 0);
}

}  // namespace
