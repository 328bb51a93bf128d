#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <semaphore>
#include <stdexcept>
#include <string>
#include <thread>
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

}  // namespace
