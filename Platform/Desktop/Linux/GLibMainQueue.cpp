#include "Platform/Desktop/Linux/GLibMainQueue.h"

#include <glib.h>

#include <chrono>

#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"

namespace platform {
namespace {

// How long one dispatch may run the queue's due work before it lets GLib serve the rest.
constexpr auto kTurnBudget = std::chrono::milliseconds(8);

struct QueueSource {
  GSource source;  // first: GLib hands this struct out as a GSource*
  MainQueue* queue;
  GMainLoop* loop;
};

// GLib calls these from C: nothing may escape them.
gboolean prepare(GSource* source, gint* timeout) {
  auto* self = reinterpret_cast<QueueSource*>(source);
  try {
    if (self->loop != nullptr && self->queue->takeStopRequest()) g_main_loop_quit(self->loop);
    const auto wait = self->queue->timeUntilDue();
    if (!wait) {
      *timeout = -1;
      return FALSE;
    }
    // Rounded up, so that the context never wakes just before the work is due.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(*wait).count();
    *timeout = static_cast<gint>(std::min<long long>(milliseconds, G_MAXINT));
    return milliseconds == 0;
  } catch (...) {
    *timeout = 10;
    return FALSE;
  }
}

gboolean check(GSource* source) {
  auto* self = reinterpret_cast<QueueSource*>(source);
  try {
    const auto wait = self->queue->timeUntilDue();
    return wait && wait->count() == 0;
  } catch (...) {
    return FALSE;
  }
}

gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
  auto* self = reinterpret_cast<QueueSource*>(source);
  const auto giveBack = std::chrono::steady_clock::now() + kTurnBudget;
  try {
    // runOneDue() logs what the work throws; this guards the queue's own failures.
    while (self->queue->runOneDue() && std::chrono::steady_clock::now() < giveBack) {
    }
  } catch (...) {
    log("main queue: a turn on the GLib loop failed");
  }
  return G_SOURCE_CONTINUE;
}

GSourceFuncs kQueueSourceFuncs = {prepare, check, dispatch, nullptr, nullptr, nullptr};

}  // namespace

GLibMainQueueSource::GLibMainQueueSource(std::shared_ptr<MainQueue> queue) : queue_(std::move(queue)) {
  queue_->becomeMainThread();
  GSource* source = g_source_new(&kQueueSourceFuncs, sizeof(QueueSource));
  auto* self = reinterpret_cast<QueueSource*>(source);
  self->queue = queue_.get();
  self->loop = nullptr;
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_can_recurse(source, FALSE);
  g_source_attach(source, g_main_context_default());
  source_ = source;
}

GLibMainQueueSource::~GLibMainQueueSource() {
  auto* source = static_cast<GSource*>(source_);
  g_source_destroy(source);
  g_source_unref(source);
  if (loop_ != nullptr) g_main_loop_unref(static_cast<GMainLoop*>(loop_));
}

void GLibMainQueueSource::run() {
  if (loop_ == nullptr) loop_ = g_main_loop_new(g_main_context_default(), FALSE);
  auto* loop = static_cast<GMainLoop*>(loop_);
  auto* self = reinterpret_cast<QueueSource*>(source_);
  if (queue_->takeStopRequest()) return;
  self->loop = loop;
  g_main_loop_run(loop);
  self->loop = nullptr;
}

void driveMainQueueWithGLib(MainQueue& queue) {
  queue.setForeignLoop(
      [](MainQueue& running) {
        // The queue is owned by the environment that runs it; the source only borrows it.
        GLibMainQueueSource source(std::shared_ptr<MainQueue>(&running, [](MainQueue*) {}));
        source.run();
      },
      [] { g_main_context_wakeup(g_main_context_default()); });
}

}  // namespace platform
