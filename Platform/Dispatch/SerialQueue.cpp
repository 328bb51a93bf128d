#include "Platform/Dispatch/SerialQueue.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "Platform/Core/LoggedWork.h"

namespace platform {

// Shared with the queue's thread, so that a queue released from inside its own async work
// lets that thread finish on its own.
struct SerialQueue::State {
  explicit State(std::string name) : label(std::move(name)) {}

  // One waiting piece of work: async work, or the place in line of a waiting sync caller.
  struct Entry {
    std::function<void()> work;
    const void* syncTicket = nullptr;
  };

  const std::string label;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Entry> entries;
  bool busy = false;
  bool stopping = false;
  std::thread thread;
};

namespace {

// The queues whose work the calling thread is running, innermost last.
thread_local std::vector<const void*> currentQueues;

class CurrentMark {
 public:
  explicit CurrentMark(const void* state) { currentQueues.push_back(state); }
  ~CurrentMark() { currentQueues.pop_back(); }
  CurrentMark(const CurrentMark&) = delete;
  CurrentMark& operator=(const CurrentMark&) = delete;
};

bool isCurrentOnThisThread(const void* state) {
  return std::find(currentQueues.begin(), currentQueues.end(), state) != currentQueues.end();
}

}  // namespace

SerialQueue::SerialQueue(std::string label) : state_(std::make_shared<State>(std::move(label))) {}

SerialQueue::~SerialQueue() {
  std::thread thread;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    thread.swap(state_->thread);
  }
  state_->changed.notify_all();
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id()) {
    thread.detach();
  } else {
    thread.join();
  }
}

const std::string& SerialQueue::label() const { return state_->label; }

bool SerialQueue::isCurrent() const { return isCurrentOnThisThread(state_.get()); }

void SerialQueue::async(std::function<void()> work) {
  if (isCurrent()) {
    performLogged("work on queue " + state_->label, work);
    return;
  }
  {
    std::lock_guard lock(state_->mutex);
    state_->entries.push_back(State::Entry{std::move(work), nullptr});
    if (!state_->thread.joinable() && !state_->stopping) {
      state_->thread = std::thread([state = state_] { workerLoop(state); });
    }
  }
  state_->changed.notify_all();
}

void SerialQueue::workerLoop(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  while (true) {
    // A sync caller at the front takes its own turn; the thread waits for it.
    state->changed.wait(lock, [&] {
      if (state->entries.empty()) return state->stopping;
      return !state->busy && state->entries.front().syncTicket == nullptr;
    });
    if (state->entries.empty()) return;
    auto work = std::move(state->entries.front().work);
    state->entries.pop_front();
    state->busy = true;
    lock.unlock();
    {
      CurrentMark mark(state.get());
      performLogged("work on queue " + state->label, work);
    }
    work = nullptr;  // release what the work captured outside the lock
    lock.lock();
    state->busy = false;
    state->changed.notify_all();
  }
}

SerialQueue::Turn::Turn(const SerialQueue& queue) {
  State* state = queue.state_.get();
  if (isCurrentOnThisThread(state)) return;
  std::unique_lock lock(state->mutex);
  if (state->busy || !state->entries.empty()) {
    const int ticket = 0;  // its address marks this caller's place in line
    state->entries.push_back(State::Entry{nullptr, &ticket});
    state->changed.wait(lock, [&] { return !state->busy && state->entries.front().syncTicket == &ticket; });
    state->entries.pop_front();
  }
  state->busy = true;
  state_ = state;
  currentQueues.push_back(state);
}

SerialQueue::Turn::~Turn() {
  if (state_ == nullptr) return;
  currentQueues.pop_back();
  bool othersWaiting = false;
  {
    std::lock_guard lock(state_->mutex);
    state_->busy = false;
    othersWaiting = !state_->entries.empty();
  }
  if (othersWaiting) state_->changed.notify_all();
}

}  // namespace platform
