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

// Gives `environment` the desktop services of the X11 display named by DISPLAY and answers them.
// Windows, alerts and web views stay simulated. Needs the environment's main queue. Throws
// std::runtime_error with x11DisplayProblem() when there is no usable display.
LinuxDesktop installLinuxDesktop(Environment& environment);

}  // namespace platform
