#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/VirtualClock.h"
#include "Platform/Dispatch/VirtualTime.h"

namespace {

using namespace std::chrono_literals;

// A main queue on a virtual clock, driven from the test's thread.
class MainQueueTest : public ::testing::Test {
 protected:
  // Seconds since the test started, on the virtual clock.
  double elapsed() const { return std::chrono::duration<double>(clock->monotonicTime() - start).count(); }

  std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
  std::shared_ptr<platform::MainQueue> queue = std::make_shared<platform::MainQueue>(clock);
  platform::VirtualTime time{clock, queue};
  const std::chrono::nanoseconds start = clock->monotonicTime();
  std::vector<std::string> ran;
};

TEST_F(MainQueueTest, NothingRunsUntilTimeIsAdvanced) {
  queue->async([&] { ran.push_back("now"); });
  EXPECT_TRUE(ran.empty());
  time.advance(0);
  EXPECT_EQ(ran, std::vector<std::string>{"now"});
  EXPECT_EQ(clock->monotonicTime(), start);
}

TEST_F(MainQueueTest, RunsInDeadlineOrderAndEqualDeadlinesInSubmissionOrder) {
  queue->asyncAfter(1.0, [&] { ran.push_back("1.0 first"); });
  queue->asyncAfter(0.3, [&] { ran.push_back("0.3"); });
  queue->asyncAfter(1.0, [&] { ran.push_back("1.0 second"); });
  queue->async([&] { ran.push_back("now"); });
  queue->asyncAfter(0.2, [&] { ran.push_back("0.2"); });
  queue->asyncAfter(1.0, [&] { ran.push_back("1.0 third"); });
  time.advance(2.0);
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "0.2", "0.3", "1.0 first", "1.0 second", "1.0 third"}));
}

TEST_F(MainQueueTest, WorkSeesTheClockAtItsOwnDeadline) {
  std::vector<double> seen;
  for (double delay : {0.2, 0.3, 1.0, 2.0}) queue->asyncAfter(delay, [&] { seen.push_back(elapsed()); });
  time.advance(5.0);
  EXPECT_EQ(seen, (std::vector<double>{0.2, 0.3, 1.0, 2.0}));
  EXPECT_DOUBLE_EQ(elapsed(), 5.0);
}

TEST_F(MainQueueTest, DelayedWorkRunsExactlyWhenItsDelayHasPassed) {
  for (double delay : {0.2, 0.3, 1.0, 2.0}) {
    bool fired = false;
    queue->asyncAfter(delay, [&] { fired = true; });
    time.advance(delay - 0.001);
    EXPECT_FALSE(fired) << delay;
    time.advance(0.001);
    EXPECT_TRUE(fired) << delay;
  }
}

TEST_F(MainQueueTest, SmallStepsAddUpToTheDelay) {
  bool fired = false;
  queue->asyncAfter(0.3, [&] { fired = true; });
  time.advance(0.1);
  time.advance(0.1);
  EXPECT_FALSE(fired);
  time.advance(0.1);
  EXPECT_TRUE(fired);
}

TEST_F(MainQueueTest, WorkScheduledByWorkRunsWithinTheSameAdvanceWhenItComesDue) {
  queue->asyncAfter(0.2, [&] {
    ran.push_back("outer at " + std::to_string(elapsed()));
    queue->async([&] { ran.push_back("inner now at " + std::to_string(elapsed())); });
    queue->asyncAfter(0.3, [&] { ran.push_back("inner later at " + std::to_string(elapsed())); });
    queue->asyncAfter(5.0, [&] { ran.push_back("too late"); });
  });
  queue->asyncAfter(0.4, [&] { ran.push_back("sibling at " + std::to_string(elapsed())); });
  time.advance(1.0);
  EXPECT_EQ(ran, (std::vector<std::string>{"outer at 0.200000", "inner now at 0.200000",
                                           "sibling at 0.400000", "inner later at 0.500000"}));
  EXPECT_EQ(queue->nextDeadline(), start + 5200ms);
}

TEST_F(MainQueueTest, WorkPostedAtADeadlineQueuesBehindWorkAlreadyDueThere) {
  queue->asyncAfter(0.2, [&] {
    ran.push_back("A");
    queue->async([&] { ran.push_back("C, posted by A"); });
  });
  queue->asyncAfter(0.2, [&] { ran.push_back("B"); });
  time.advance(0.2);
  EXPECT_EQ(ran, (std::vector<std::string>{"A", "B", "C, posted by A"}));
}

TEST_F(MainQueueTest, CancelledWorkItemsDoNotRun) {
  auto kept = std::make_shared<platform::WorkItem>([&] { ran.push_back("kept"); });
  auto cancelled = std::make_shared<platform::WorkItem>([&] { ran.push_back("cancelled"); });
  auto cancelledLater = std::make_shared<platform::WorkItem>([&] { ran.push_back("cancelled by work"); });
  queue->asyncAfter(0.2, kept);
  queue->asyncAfter(0.2, cancelled);
  queue->async([&] { cancelledLater->cancel(); });
  queue->asyncAfter(1.0, cancelledLater);
  cancelled->cancel();
  time.advance(2.0);
  EXPECT_EQ(ran, std::vector<std::string>{"kept"});
  EXPECT_TRUE(cancelled->isCancelled());
  EXPECT_FALSE(kept->isCancelled());
}

TEST_F(MainQueueTest, AWorkItemCancelledAfterItRanStaysRun) {
  int runs = 0;
  auto item = std::make_shared<platform::WorkItem>([&] { ++runs; });
  queue->async(item);
  time.advance(0);
  item->cancel();
  time.advance(1.0);
  EXPECT_EQ(runs, 1);
}

TEST_F(MainQueueTest, ARepeatingTimerTicksOncePerIntervalOverALongAdvance) {
  std::vector<double> ticks;
  auto timer = queue->scheduleTimer(1.0, true, [&](platform::Timer&) { ticks.push_back(elapsed()); });
  time.advance(0.999);
  EXPECT_TRUE(ticks.empty());
  time.advance(9.5);
  EXPECT_EQ(ticks, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  time.advance(0.501);
  EXPECT_EQ(ticks.size(), 11u);
  EXPECT_TRUE(timer->isValid());
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

TEST_F(MainQueueTest, ATimerInvalidatedInsideItsOwnTickStops) {
  int ticks = 0;
  queue->scheduleTimer(1.0, true, [&](platform::Timer& timer) {
    if (++ticks == 3) timer.invalidate();
  });
  time.advance(10.0);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(queue->nextDeadline().has_value());
}

TEST_F(MainQueueTest, ATimerInvalidatedFromOutsideStopsBeforeItsNextTick) {
  int ticks = 0;
  auto timer = queue->scheduleTimer(0.5, true, [&](platform::Timer&) { ++ticks; });
  time.advance(1.2);
  timer->invalidate();
  time.advance(5.0);
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(timer->isValid());
}

TEST_F(MainQueueTest, TheQueueKeepsAScheduledTimerAliveWithoutItsCaller) {
  int ticks = 0;
  queue->scheduleTimer(1.0, true, [&](platform::Timer&) { ++ticks; });
  time.advance(3.0);
  EXPECT_EQ(ticks, 3);
}

TEST_F(MainQueueTest, AOneShotTimerTicksOnceAndInvalidatesItself) {
  int ticks = 0;
  auto timer = queue->scheduleTimer(0.3, false, [&](platform::Timer& self) {
    ++ticks;
    EXPECT_TRUE(self.isValid());
  });
  time.advance(5.0);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer->isValid());
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
  queue->async([&] { ran.push_back("after"); });
  time.advance(0);
  EXPECT_EQ(ran, std::vector<std::string>{"after"});
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

}  // namespace
