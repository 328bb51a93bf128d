#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <semaphore>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Core/Log.h"
#include "Platform/Dispatch/TaskPool.h"

namespace {

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
  std::promise<void> released;
  auto* raw = pool.get();
  raw->async([pool = std::move(pool), &released]() mutable {
    pool.reset();  // the last owner: the pool is destroyed on its own worker thread
    released.set_value();
  });
  released.get_future().wait();
}

}  // namespace
