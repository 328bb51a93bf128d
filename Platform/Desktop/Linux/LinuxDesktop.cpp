#include "Platform/Desktop/Linux/LinuxDesktop.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <mutex>
#include <stdexcept>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/LinuxAccessibility.h"
#include "Platform/Desktop/Linux/LinuxEventSystem.h"
#include "Platform/Desktop/Linux/LinuxPasteboard.h"
#include "Platform/Desktop/Linux/LinuxScreens.h"
#include "Platform/Desktop/Linux/LinuxUserNotificationCenter.h"
#include "Platform/Desktop/Linux/LinuxWindowPeer.h"
#include "Platform/Desktop/Linux/LinuxWorkspace.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowServer.h"

namespace platform {

std::string x11DisplayProblem() {
  // Several threads keep connections of their own; Xlib must know before its first call.
  static std::once_flag threads;
  std::call_once(threads, [] {
    XInitThreads();
    // Xlib's own handler ends the process on any error, a refused key grab included.
    XSetErrorHandler(+[](Display*, XErrorEvent* error) {
      try {
        platform::log("X11 error " + std::to_string(static_cast<int>(error->error_code)) + " on request " +
                      std::to_string(static_cast<int>(error->request_code)));
      } catch (...) {
        // Logging failed; the error is ignored all the same.
      }
      return 0;
    });
  });
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    return "no X11 display: DISPLAY is not set (start Quellorin in an X11 session, or under Xvfb)";
  }
  Display* probe = XOpenDisplay(nullptr);
  if (probe == nullptr) return std::string("no X11 display: cannot open DISPLAY=") + name;
  XCloseDisplay(probe);
  return {};
}

LinuxDesktop installLinuxDesktop(Environment& environment, LinuxDesktopOptions options) {
  if (const auto problem = x11DisplayProblem(); !problem.empty()) throw std::runtime_error(problem);
  LinuxDesktop desktop;
  desktop.desktopThread =
      options.toolkitOnCallingThread ? DesktopThread::onCallingThread() : DesktopThread::start();
  desktop.workspace = std::make_shared<LinuxWorkspace>();
  desktop.accessibility = std::make_shared<LinuxAccessibility>(desktop.desktopThread);
  desktop.pasteboard = std::make_shared<LinuxPasteboard>(desktop.desktopThread);
  desktop.eventSystem = std::make_shared<LinuxEventSystem>(environment.mainQueue, desktop.desktopThread);
  desktop.screens = std::make_shared<LinuxScreens>();
  desktop.userNotificationCenter = std::make_shared<LinuxUserNotificationCenter>();
  environment.workspace = desktop.workspace;
  environment.accessibility = desktop.accessibility;
  environment.pasteboard = desktop.pasteboard;
  environment.eventSystem = desktop.eventSystem;
  environment.screens = desktop.screens;
  environment.userNotificationCenter = desktop.userNotificationCenter;
  environment.windowServer = std::make_shared<WindowServer>();
  if (options.toolkitOnCallingThread) {
    environment.windowServer->setPeerFactory([screens = desktop.screens](Window& window) {
      return std::static_pointer_cast<WindowPeer>(LinuxWindowPeer::make(window, screens));
    });
  }
  return desktop;
}

}  // namespace platform
