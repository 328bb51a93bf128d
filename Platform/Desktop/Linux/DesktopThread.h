#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>

namespace platform {

// The one thread that talks to GTK and AT-SPI. Neither library is thread-safe: GTK is set up
// (gtk_init_check), runs its main loop and is called only here, and libatspi's connection to
// the accessibility bus is dispatched by the same loop, so focus events and clipboard requests
// from other applications are served while the rest of the process does its own work.
//
// Other threads hand work over with call(), which waits for the answer; work handed over from
// this thread itself runs in place. An exception thrown by the work reaches the caller. Calls
// are served one at a time, in the order they come.
class DesktopThread {
 public:
  // Starts the thread and GTK on the X11 display named by DISPLAY. Throws std::runtime_error
  // when GTK cannot open it.
  static std::shared_ptr<DesktopThread> start();
  // The same on the calling thread, whose GLib default context someone else iterates (the
  // application's main queue, see GLibMainQueueSource): GTK's windows then live on the main
  // thread. Throws std::runtime_error when GTK cannot open the display.
  static std::shared_ptr<DesktopThread> onCallingThread();
  // Stops the main loop and joins the thread.
  ~DesktopThread();
  DesktopThread(const DesktopThread&) = delete;
  DesktopThread& operator=(const DesktopThread&) = delete;

  bool isCurrent() const { return std::this_thread::get_id() == owner_.load(); }

  template <class Work>
  auto call(Work work) -> std::invoke_result_t<Work> {
    using Result = std::invoke_result_t<Work>;
    if (isCurrent()) return work();
    std::lock_guard serve(callMutex_);
    std::packaged_task<Result()> task(std::move(work));
    auto answer = task.get_future();
    invoke([&task] { task(); });
    return answer.get();
  }

  // Runs `work` later on this thread without waiting; what it throws is logged.
  void post(std::function<void()> work);

  // Typed characters on their way to the application in front. Synthetic keys reach it through
  // the X server, requests through accessibility through the session bus, and it may serve the
  // second first; so what reads or selects its text first waits until the characters typed
  // before have been reported inserted (object:text-changed:insert), or `limit` has passed
  // (an application that reports no insertions). Any thread.
  void noteTyped(std::int64_t characters);
  void noteInserted(std::int64_t characters);
  void waitForTypedText(std::chrono::milliseconds limit);

 private:
  DesktopThread() = default;
  // Queues `work` on the GLib main context of this thread and returns at once.
  void invoke(std::function<void()> work);

  std::mutex callMutex_;
  std::mutex typingMutex_;
  std::condition_variable typingSettled_;
  std::int64_t typingInFlight_ = 0;
  std::thread thread_;  // not started when the calling thread was adopted
  std::atomic<std::thread::id> owner_;
  void* loop_ = nullptr;  // GMainLoop*, owned by the thread
};

}  // namespace platform
