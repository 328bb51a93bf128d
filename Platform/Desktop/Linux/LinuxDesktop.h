#pragma once

#include <memory>
#include <string>

namespace platform {

struct Environment;
class DesktopThread;
class LinuxAccessibility;
class LinuxEventSystem;
class LinuxPasteboard;
class LinuxScreens;
class LinuxUserNotificationCenter;
class LinuxWorkspace;

// The services of the X11 desktop this process runs on, by their own types.
struct LinuxDesktop {
  std::shared_ptr<DesktopThread> desktopThread;
  std::shared_ptr<LinuxWorkspace> workspace;
  std::shared_ptr<LinuxAccessibility> accessibility;
  std::shared_ptr<LinuxPasteboard> pasteboard;
  std::shared_ptr<LinuxEventSystem> eventSystem;
  std::shared_ptr<LinuxScreens> screens;
  std::shared_ptr<LinuxUserNotificationCenter> userNotificationCenter;
};

// Why no X11 display can be used, as one line that names DISPLAY; empty when one can.
std::string x11DisplayProblem();

struct LinuxDesktopOptions {
  // GTK on the calling thread, which then must iterate its GLib default context (the
  // application's main queue does, see driveMainQueueWithGLib): windows are real GTK windows
  // showing their content in WebKitGTK. Otherwise GTK gets a thread of its own and windows
  // stay simulated.
  bool toolkitOnCallingThread = false;
};

// Gives `environment` the desktop services of the X11 display named by DISPLAY and answers them.
// Alerts and web views stay simulated. Needs the environment's main queue. Throws
// std::runtime_error with x11DisplayProblem() when there is no usable display.
LinuxDesktop installLinuxDesktop(Environment& environment, LinuxDesktopOptions options = {});

}  // namespace platform
