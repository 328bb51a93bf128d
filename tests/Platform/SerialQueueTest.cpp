#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Core/Log.h"
#include "Platform/Dispatch/SerialQueue.h"

namespace {

// An error type of the caller's own, to see that it passes through untouched.
struct StatementFailed {
  std::string message;
  int code;
};

TEST(SerialQueue, SyncRunsOnTheCallingThreadAndReturnsTheResult) {
  platform::SerialQueue queue("SQLite.Database");
  const auto caller = std::this_thread::get_id();
  const auto [thread, current] =
      queue.sync([&] { return std::pair(std::this_thread::get_id(), queue.isCurrent()); });
  EXPECT_EQ(thread, caller);
  EXPECT_TRUE(current);
  EXPECT_FALSE(queue.isCurrent());
  EXPECT_EQ(queue.label(), "SQLite.Database");
}

TEST(SerialQueue, SyncFromInsideTheSameQueueRunsInPlace) {
  platform::SerialQueue queue("SQLite.Database");
  std::vector<std::string> steps;
  const int result = queue.sync([&] {
    steps.push_back("outer");
    const int inner = queue.sync([&] {
      steps.push_back("inner");
      return queue.sync([&] { return 42; });
    });
    steps.push_back("outer again");
    return inner;
  });
  EXPECT_EQ(result, 42);
  EXPECT_EQ(steps, (std::vector<std::string>{"outer", "inner", "outer again"}));
}

TEST(SerialQueue, AsyncFromInsideTheSameQueueRunsInPlace) {
  platform::SerialQueue queue("q");
  std::vector<std::string> steps;
  queue.sync([&] {
    queue.async([&] { steps.push_back("nested async"); });
    steps.push_back("after the call");
  });
  EXPECT_EQ(steps, (std::vector<std::string>{"nested async", "after the call"}));
}

TEST(SerialQueue, SyncFromAsyncWorkOfTheSameQueueRunsInPlace) {
  platform::SerialQueue queue("q");
  std::promise<int> done;
  queue.async([&] { done.set_value(queue.sync([&] { return queue.isCurrent() ? 7 : -1; })); });
  EXPECT_EQ(done.get_future().get(), 7);
}

TEST(SerialQueue, QueuesWithTheSameLabelAreSeparateQueues) {
  platform::SerialQueue first("SQLite.Database");
  platform::SerialQueue second("SQLite.Database");
  const auto [firstCurrent, secondCurrent] = first.sync([&] {
    // Nested across queues and back: the first queue is still current on this thread.
    return second.sync(
        [&] { return std::pair(first.sync([&] { return first.isCurrent(); }), second.isCurrent()); });
  });
  EXPECT_TRUE(firstCurrent);
  EXPECT_TRUE(secondCurrent);
  EXPECT_FALSE(first.sync([&] { return second.isCurrent(); }));
}

TEST(SerialQueue, ExceptionsPassThroughSyncUnchanged) {
  platform::SerialQueue queue("SQLite.Database");
  try {
    queue.sync([]() -> int { throw StatementFailed{"no such table: jobs", 1}; });
    FAIL() << "the exception was swallowed";
  } catch (const StatementFailed& error) {
    EXPECT_EQ(error.message, "no such table: jobs");
    EXPECT_EQ(error.code, 1);
  }
  // Thrown from a nested call, through the outer one.
  EXPECT_THROW(queue.sync([&] { queue.sync([] { throw std::out_of_range("row"); }); }), std::out_of_range);
  // The queue is free again and nothing thinks it is still current.
  EXPECT_FALSE(queue.isCurrent());
  EXPECT_EQ(queue.sync([] { return 5; }), 5);
  std::promise<bool> fromOtherThread;
  std::thread other([&] { fromOtherThread.set_value(queue.sync([&] { return queue.isCurrent(); })); });
  EXPECT_TRUE(fromOtherThread.get_future().get());
  other.join();
}

TEST(SerialQueue, AsyncWorkRunsInSubmissionOrderBeforeALaterSync) {
  platform::SerialQueue queue("q");
  std::vector<int> seen;  // touched only on the queue
  for (int i = 0; i < 200; ++i) queue.async([&, i] { seen.push_back(i); });
  const auto snapshot = queue.sync([&] { return seen; });
  ASSERT_EQ(snapshot.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(snapshot[static_cast<size_t>(i)], i);
}

TEST(SerialQueue, NeverRunsTwoPiecesAtOnce) {
  platform::SerialQueue queue("q");
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  int total = 0;  // guarded by the queue alone
  auto work = [&] {
    if (++inside > 1) ++overlaps;
    ++total;
    --inside;
  };
  std::vector<std::thread> callers;
  for (int t = 0; t < 6; ++t) {
    callers.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        if ((i + t) % 2 == 0) {
          queue.sync(work);
        } else {
          queue.async(work);
        }
      }
    });
  }
  for (auto& caller : callers) caller.join();
  EXPECT_EQ(queue.sync([&] { return total; }), 6 * 300);
  EXPECT_EQ(overlaps, 0);
}

TEST(SerialQueue, AsyncWorkThatThrowsIsLoggedAndTheQueueGoesOn) {
  platform::LogCapture capture;
  platform::SerialQueue queue("SQLite.Database");
  queue.async([] { throw std::runtime_error("disk I/O error"); });
  EXPECT_EQ(queue.sync([] { return 1; }), 1);
  EXPECT_TRUE(capture.contains("SQLite.Database"));
  EXPECT_TRUE(capture.contains("disk I/O error"));
}

TEST(SerialQueue, DestroyingTheQueueRunsTheAsyncWorkAlreadySubmitted) {
  std::atomic<int> count{0};
  {
    platform::SerialQueue queue("q");
    for (int i = 0; i < 50; ++i) queue.async([&] { ++count; });
  }
  EXPECT_EQ(count, 50);
}

}  // namespace
