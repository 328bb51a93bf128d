#include "Platform/Dispatch/TaskPool.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Platform/Core/Environment.h"
#include "Platform/Core/LoggedWork.h"

namespace platform {

// Shared with the worker threads, so that a pool released from inside its own work can
// let that worker finish on its own.
struct TaskPool::State {
  explicit State(std::size_t limit) : threadLimit(limit) {}

  const std::size_t threadLimit;
  std::mutex mutex;
  std::condition_variable workArrived;
  std::condition_variable becameIdle;
  std::deque<std::function<void()>> queue;
  std::vector<std::thread> threads;
  std::size_t idleThreads = 0;
  std::size_t running = 0;
  bool stopping = false;
};

namespace {

thread_local const void* currentPool = nullptr;

}  // namespace

std::size_t TaskPool::defaultThreadCount() {
  return std::max<std::size_t>(4, std::thread::hardware_concurrency());
}

TaskPool::TaskPool(std::size_t threadCount)
    : state_(std::make_shared<State>(std::max<std::size_t>(1, threadCount))) {}

TaskPool::~TaskPool() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    threads.swap(state_->threads);
  }
  state_->workArrived.notify_all();
  for (auto& thread : threads) {
    if (thread.get_id() == std::this_thread::get_id()) {
      thread.detach();
    } else {
      thread.join();
    }
  }
}

void TaskPool::async(std::function<void()> work) {
  std::lock_guard lock(state_->mutex);
  state_->queue.push_back(std::move(work));
  const std::size_t waiting = state_->queue.size();
  // While the pool shuts down, its remaining workers drain the queue; no new ones start.
  const bool needsThread = waiting > state_->idleThreads && state_->threads.size() < state_->threadLimit;
  if (needsThread && !state_->stopping) {
    state_->threads.emplace_back([state = state_] { workerLoop(state); });
  }
  state_->workArrived.notify_one();
}

void TaskPool::workerLoop(const std::shared_ptr<State>& state) {
  currentPool = state.get();
  std::unique_lock lock(state->mutex);
  while (true) {
    ++state->idleThreads;
    state->workArrived.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
    --state->idleThreads;
    if (state->queue.empty()) return;  // stopping, and everything submitted has run
    auto work = std::move(state->queue.front());
    state->queue.pop_front();
    ++state->running;
    lock.unlock();
    performLogged("task pool work", work);
    work = nullptr;  // release what the work captured before counting it as done
    lock.lock();
    --state->running;
    if (state->running == 0 && state->queue.empty()) state->becameIdle.notify_all();
  }
}

void TaskPool::waitUntilIdle() {
  if (isWorkerThread()) throw std::logic_error("TaskPool::waitUntilIdle called from the pool's own work");
  std::unique_lock lock(state_->mutex);
  state_->becameIdle.wait(lock, [&] { return state_->running == 0 && state_->queue.empty(); });
}

bool TaskPool::isIdle() const {
  std::lock_guard lock(state_->mutex);
  return state_->running == 0 && state_->queue.empty();
}

bool TaskPool::isWorkerThread() const { return currentPool == state_.get(); }

std::shared_ptr<TaskPool> TaskPool::shared() { return Environment::current()->taskPool; }

}  // namespace platform
