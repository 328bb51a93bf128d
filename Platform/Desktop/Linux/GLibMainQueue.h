#pragma once

#include <memory>

namespace platform {

class MainQueue;

// The main queue's work as a source of the GLib default main context of the thread that makes
// it, so that GTK's callbacks and the queue's work run on one thread, one at a time. While the
// object lives, whoever iterates that context (run(), GTK's own loop, a test's
// g_main_context_iteration) also runs the queue's due work, a few milliseconds' worth per
// turn so that input and drawing are never starved. Work queued from any thread wakes the
// context. Made, used and destroyed on that thread; not nested work of its own source (GLib
// does not dispatch a source from inside itself, so a nested main loop cannot re-enter the
// queue).
class GLibMainQueueSource {
 public:
  explicit GLibMainQueueSource(std::shared_ptr<MainQueue> queue);
  ~GLibMainQueueSource();
  GLibMainQueueSource(const GLibMainQueueSource&) = delete;
  GLibMainQueueSource& operator=(const GLibMainQueueSource&) = delete;

  // Iterates the context until the queue's stop() (one called before returns at once).
  void run();

 private:
  std::shared_ptr<MainQueue> queue_;
  void* source_ = nullptr;  // the GSource, owned
  void* loop_ = nullptr;    // the GMainLoop, owned
};

// Makes `queue`'s run() iterate the calling thread's GLib default context instead of waiting
// on its own, and wakes that context when work is queued from elsewhere.
void driveMainQueueWithGLib(MainQueue& queue);

}  // namespace platform
