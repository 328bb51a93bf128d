#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace platform {

// Runs asynchronous work on worker threads, started in submission order, several at a time.
// Threads are started on demand, up to the pool's size, and live as long as the pool.
// Work may block (for example on a semaphore that other pool work signals) as long as fewer
// pieces block at once than the pool has threads. Work that throws is logged.
class TaskPool {
 public:
  // At least four threads, or one per processor when there are more.
  static std::size_t defaultThreadCount();

  explicit TaskPool(std::size_t threadCount = defaultThreadCount());
  // Runs the work already submitted, then joins the threads.
  ~TaskPool();
  TaskPool(const TaskPool&) = delete;
  TaskPool& operator=(const TaskPool&) = delete;

  // Thread-safe.
  void async(std::function<void()> work);

  // Blocks until no work is queued or running. Not from inside the pool's own work.
  void waitUntilIdle();

  // True when no work is queued or running. Thread-safe; may change at once.
  bool isIdle() const;

  // True on one of this pool's worker threads.
  bool isWorkerThread() const;

  // The task pool of the installed environment (see Environment).
  static std::shared_ptr<TaskPool> shared();

 private:
  struct State;
  static void workerLoop(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
};

}  // namespace platform
