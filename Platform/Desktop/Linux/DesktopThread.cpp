#include "Platform/Desktop/Linux/DesktopThread.h"

#include <atspi/atspi.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <stdexcept>

#include "Platform/Core/Log.h"

namespace platform {
namespace {

// The GLib side of invoke(): runs the work once and frees it. GLib calls it from C.
gboolean runWork(gpointer data) {
  auto* work = static_cast<std::function<void()>*>(data);
  try {
    (*work)();
  } catch (const std::exception& error) {
    log(std::string("desktop thread: work failed: ") + error.what());
  } catch (...) {
    log("desktop thread: work failed");
  }
  return G_SOURCE_REMOVE;
}

void freeWork(gpointer data) { delete static_cast<std::function<void()>*>(data); }

}  // namespace

std::shared_ptr<DesktopThread> DesktopThread::start() {
  std::shared_ptr<DesktopThread> desktop(new DesktopThread());
  std::promise<std::string> started;
  auto ready = started.get_future();
  desktop->thread_ = std::thread([raw = desktop.get(), &started] {
    raw->owner_ = std::this_thread::get_id();
    if (!gtk_init_check(nullptr, nullptr)) {
      started.set_value("GTK cannot open the X11 display");
      return;
    }
    // Not fatal: without the accessibility bus the process is simply not trusted.
    atspi_init();
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    raw->loop_ = loop;
    started.set_value({});
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
  });
  if (const auto failure = ready.get(); !failure.empty()) {
    desktop->thread_.join();
    throw std::runtime_error(failure);
  }
  return desktop;
}

std::shared_ptr<DesktopThread> DesktopThread::onCallingThread() {
  if (!gtk_init_check(nullptr, nullptr)) throw std::runtime_error("GTK cannot open the X11 display");
  atspi_init();
  std::shared_ptr<DesktopThread> desktop(new DesktopThread());
  desktop->owner_ = std::this_thread::get_id();
  return desktop;
}

DesktopThread::~DesktopThread() {
  if (!thread_.joinable()) return;
  if (loop_ != nullptr) invoke([loop = static_cast<GMainLoop*>(loop_)] { g_main_loop_quit(loop); });
  if (isCurrent()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void DesktopThread::post(std::function<void()> work) { invoke(std::move(work)); }

void DesktopThread::noteTyped(std::int64_t characters) {
  std::lock_guard lock(typingMutex_);
  typingInFlight_ += characters;
}

void DesktopThread::noteInserted(std::int64_t characters) {
  {
    std::lock_guard lock(typingMutex_);
    typingInFlight_ = std::max<std::int64_t>(0, typingInFlight_ - characters);
  }
  typingSettled_.notify_all();
}

void DesktopThread::waitForTypedText(std::chrono::milliseconds limit) {
  std::unique_lock lock(typingMutex_);
  if (!typingSettled_.wait_for(lock, limit, [&] { return typingInFlight_ == 0; })) {
    // What is left was typed where nothing reports insertions: forget it.
    typingInFlight_ = 0;
  }
}

void DesktopThread::invoke(std::function<void()> work) {
  // Always through a source, never in place: the caller may hold the default context for a
  // moment, and work must run on this thread only.
  GSource* source = g_idle_source_new();
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_callback(source, runWork, new std::function<void()>(std::move(work)), freeWork);
  g_source_attach(source, g_main_context_default());
  g_source_unref(source);
}

}  // namespace platform
