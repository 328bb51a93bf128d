// The cost of the dispatch primitives that every database statement and every interface
// step goes through, each beside the plain baseline it adds to.
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>

#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/VirtualClock.h"
#include "Platform/Dispatch/VirtualTime.h"
#include "SQLite/SerialQueue.h"

namespace {

// Baseline for a connection's SerialQueue::sync: taking and releasing a mutex around the same work.
void BM_MutexAroundWork(benchmark::State& state) {
  std::mutex mutex;
  int value = 0;
  for (auto _ : state) {
    std::lock_guard lock(mutex);
    benchmark::DoNotOptimize(++value);
  }
}
BENCHMARK(BM_MutexAroundWork);

void BM_SerialQueueSync(benchmark::State& state) {
  sql::SerialQueue queue;
  int value = 0;
  for (auto _ : state) benchmark::DoNotOptimize(queue.sync([&] { return ++value; }));
}
BENCHMARK(BM_SerialQueueSync);

// A statement inside a transaction: the nested call runs in place.
void BM_SerialQueueNestedSync(benchmark::State& state) {
  sql::SerialQueue queue;
  int value = 0;
  queue.sync([&] {
    for (auto _ : state) benchmark::DoNotOptimize(queue.sync([&] { return ++value; }));
  });
}
BENCHMARK(BM_SerialQueueNestedSync);

// One piece of main-queue work, posted and run on virtual time.
void BM_MainQueueAsyncAndRun(benchmark::State& state) {
  auto clock = std::make_shared<platform::VirtualClock>();
  auto queue = std::make_shared<platform::MainQueue>(clock);
  platform::VirtualTime time(clock, queue);
  int value = 0;
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) queue->async([&] { ++value; });
    time.advance(0);
  }
  benchmark::DoNotOptimize(value);
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_MainQueueAsyncAndRun);

void BM_NotificationPostToPostingThreadObservers(benchmark::State& state) {
  auto clock = std::make_shared<platform::VirtualClock>();
  platform::NotificationCenter center(std::make_shared<platform::MainQueue>(clock));
  int delivered = 0;
  for (int i = 0; i < 4; ++i) {
    center.addObserver("PipelineUpdated", platform::NotificationCenter::Delivery::postingThread,
                       [&](const platform::Notification&) { ++delivered; });
  }
  for (auto _ : state) center.post("PipelineUpdated");
  benchmark::DoNotOptimize(delivered);
}
BENCHMARK(BM_NotificationPostToPostingThreadObservers);

}  // namespace

BENCHMARK_MAIN();
