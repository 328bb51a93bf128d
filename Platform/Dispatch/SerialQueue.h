#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace platform {

// Runs work one piece at a time, in submission order (for example one database connection's
// statements). Work that is submitted while the calling thread is already running this
// queue's work runs at once, in place, so nested calls never deadlock.
//
// `sync` runs on the calling thread once the work before it has finished; `async` work runs
// on the queue's own thread, started on first use. Thread-safe.
class SerialQueue {
 public:
  explicit SerialQueue(std::string label);
  // Runs the async work already submitted, then stops the queue's thread. No `sync` may be
  // waiting.
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  const std::string& label() const;

  // True while the calling thread runs this queue's work.
  bool isCurrent() const;

  // Runs `work` on the calling thread in its turn and returns its result; an exception
  // thrown by `work` reaches the caller unchanged.
  template <typename Work>
  std::invoke_result_t<Work&> sync(Work&& work) {
    Turn turn(*this);
    return std::invoke(work);
  }

  // Queues `work` to run in its turn on the queue's thread; when already current, runs it at
  // once. An exception thrown by `work` is logged.
  void async(std::function<void()> work);

 private:
  struct State;

  // Holds the queue for the calling thread while it lives; nothing if already current.
  class Turn {
   public:
    explicit Turn(const SerialQueue& queue);
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

   private:
    State* state_ = nullptr;  // null when the thread already held the queue
  };

  static void workerLoop(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
};

}  // namespace platform
