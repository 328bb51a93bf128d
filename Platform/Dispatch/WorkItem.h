#pragma once

#include <atomic>
#include <functional>

namespace platform {

// A piece of work that can be cancelled before it runs. Share it through std::shared_ptr:
// a queue that holds it keeps it alive until the work is due.
class WorkItem {
 public:
  explicit WorkItem(std::function<void()> work);

  // Runs the work on the calling thread unless the item has been cancelled.
  void perform();

  // Thread-safe. A run that has not started yet is skipped; a run in progress finishes.
  void cancel();

  bool isCancelled() const;

 private:
  std::function<void()> work_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace platform
