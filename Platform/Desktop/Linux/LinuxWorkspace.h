#pragma once

#include <mutex>

#include "Platform/Desktop/Workspace.h"

namespace platform {

// The running applications of an X11 desktop, as far as their windows say: an application is
// the process named by a top-level window's `_NET_WM_PID`; the one in front owns the window with
// the input focus (`_NET_ACTIVE_WINDOW` when a window manager keeps it). Activating one gives its
// window the focus through the window manager, or directly when there is none. URLs open with
// GIO's default handler; the desktop's accessibility-settings address switches the session's
// accessibility on instead, since that is what those settings do here. Thread-safe.
class LinuxWorkspace final : public Workspace {
 public:
  // Throws std::runtime_error when the display cannot be opened.
  LinuxWorkspace();
  ~LinuxWorkspace() override;
  LinuxWorkspace(const LinuxWorkspace&) = delete;
  LinuxWorkspace& operator=(const LinuxWorkspace&) = delete;

  RunningApplication currentApplication() const override;
  std::vector<RunningApplication> runningApplications() const override;
  std::optional<RunningApplication> runningApplication(int processIdentifier) const override;
  std::optional<RunningApplication> frontmostApplication() const override;
  bool activate(int processIdentifier, unsigned options) override;
  bool openURL(const std::string& url) override;

 private:
  mutable std::mutex mutex_;
  void* display_ = nullptr;  // Display*
};

// The application of a process: its name from /proc; none when it is not running.
std::optional<RunningApplication> applicationOfProcess(int processIdentifier);

}  // namespace platform
