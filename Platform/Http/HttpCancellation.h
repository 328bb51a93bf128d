#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace platform {

// Lets a caller cancel, from any thread, the request it handed this object to. Cancelling is
// final: every later request given the same object ends as cancelled at once.
// A request registers a wake-up for the time it runs; one request at a time per object.
class HttpCancellation {
 public:
  HttpCancellation() = default;
  HttpCancellation(const HttpCancellation&) = delete;
  HttpCancellation& operator=(const HttpCancellation&) = delete;

  void cancel();
  bool isCancelled() const { return cancelled_.load(); }

  // For HTTP clients: `wake` is called (from the cancelling thread) when cancel() runs while
  // it is registered. Registering replaces any earlier wake-up; an empty function clears it.
  void setWake(std::function<void()> wake);

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::function<void()> wake_;
};

}  // namespace platform
