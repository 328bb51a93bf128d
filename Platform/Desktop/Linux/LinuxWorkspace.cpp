#include "Platform/Desktop/Linux/LinuxWorkspace.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gio/gio.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <stdexcept>

#include "Platform/Core/Log.h"
#include "Platform/Desktop/Linux/A11yBus.h"

namespace platform {
namespace {

Display* connectionOf(void* handle) { return static_cast<Display*>(handle); }

// One CARDINAL or WINDOW property value of `window`; none when unset.
std::optional<unsigned long> property(Display* connection, Window window, const char* name, Atom type) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(connection, window, XInternAtom(connection, name, False), 0, 1, False, type,
                         &actualType, &format, &count, &after, &data) != Success ||
      data == nullptr) {
    return std::nullopt;
  }
  std::optional<unsigned long> value;
  if (count == 1 && format == 32) value = *reinterpret_cast<unsigned long*>(data);
  XFree(data);
  return value;
}

// The window or its nearest ancestor that names its process.
std::optional<std::pair<Window, int>> windowWithProcess(Display* connection, Window window) {
  while (window != None) {
    if (const auto pid = property(connection, window, "_NET_WM_PID", XA_CARDINAL)) {
      return std::make_pair(window, static_cast<int>(*pid));
    }
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(connection, window, &root, &parent, &children, &count)) return std::nullopt;
    if (children != nullptr) XFree(children);
    if (parent == root) return std::nullopt;
    window = parent;
  }
  return std::nullopt;
}

// The top-level windows that name their process, from the root down.
void collectWindows(Display* connection, Window window, int depth,
                    std::vector<std::pair<Window, int>>& found) {
  if (const auto pid = property(connection, window, "_NET_WM_PID", XA_CARDINAL)) {
    found.emplace_back(window, static_cast<int>(*pid));
    return;
  }
  if (depth > 3) return;
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(connection, window, &root, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) collectWindows(connection, children[i], depth + 1, found);
  if (children != nullptr) XFree(children);
}

}  // namespace

std::optional<RunningApplication> applicationOfProcess(int processIdentifier) {
  std::ifstream comm("/proc/" + std::to_string(processIdentifier) + "/comm");
  std::string name;
  if (!comm || !std::getline(comm, name)) return std::nullopt;
  return RunningApplication{processIdentifier, name, name};
}

LinuxWorkspace::LinuxWorkspace() {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) throw std::runtime_error("cannot open the X11 display named by DISPLAY");
}

LinuxWorkspace::~LinuxWorkspace() { XCloseDisplay(connectionOf(display_)); }

RunningApplication LinuxWorkspace::currentApplication() const {
  const int pid = static_cast<int>(getpid());
  return {pid, "Quellorin", "Quellorin"};
}

std::vector<RunningApplication> LinuxWorkspace::runningApplications() const {
  std::vector<std::pair<Window, int>> windows;
  {
    std::lock_guard lock(mutex_);
    auto* connection = connectionOf(display_);
    collectWindows(connection, DefaultRootWindow(connection), 0, windows);
  }
  std::vector<RunningApplication> applications{currentApplication()};
  std::set<int> seen{applications.front().processIdentifier};
  for (const auto& [window, pid] : windows) {
    if (!seen.insert(pid).second) continue;
    if (auto application = applicationOfProcess(pid)) applications.push_back(std::move(*application));
  }
  return applications;
}

std::optional<RunningApplication> LinuxWorkspace::runningApplication(int processIdentifier) const {
  if (processIdentifier == currentApplication().processIdentifier) return currentApplication();
  return applicationOfProcess(processIdentifier);
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication() const {
  std::optional<int> pid;
  {
    std::lock_guard lock(mutex_);
    auto* connection = connectionOf(display_);
    auto active = property(connection, DefaultRootWindow(connection), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    Window focus = None;
    if (active && *active != None) {
      focus = static_cast<Window>(*active);
    } else {
      int revert = 0;
      XGetInputFocus(connection, &focus, &revert);
    }
    if (focus != None && focus != PointerRoot) {
      if (const auto found = windowWithProcess(connection, focus)) pid = found->second;
    }
  }
  if (!pid) return std::nullopt;
  return runningApplication(*pid);
}

bool LinuxWorkspace::activate(int processIdentifier, unsigned) {
  std::lock_guard lock(mutex_);
  auto* connection = connectionOf(display_);
  std::vector<std::pair<Window, int>> windows;
  collectWindows(connection, DefaultRootWindow(connection), 0, windows);
  for (const auto& [window, pid] : windows) {
    if (pid != processIdentifier) continue;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection, window, &attributes) || attributes.map_state != IsViewable)
      continue;
    if (property(connection, DefaultRootWindow(connection), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW)) {
      XEvent event{};
      event.xclient.type = ClientMessage;
      event.xclient.window = window;
      event.xclient.message_type = XInternAtom(connection, "_NET_ACTIVE_WINDOW", False);
      event.xclient.format = 32;
      event.xclient.data.l[0] = 2;  // from a pager: the window manager obeys at once
      event.xclient.data.l[1] = CurrentTime;
      XSendEvent(connection, DefaultRootWindow(connection), False,
                 SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
      XRaiseWindow(connection, window);
      XSetInputFocus(connection, window, RevertToParent, CurrentTime);
    }
    XSync(connection, False);
    return true;
  }
  return false;
}

bool LinuxWorkspace::openURL(const std::string& url) {
  if (url.starts_with("x-apple.systempreferences:") &&
      url.find("Privacy_Accessibility") != std::string::npos) {
    const bool enabled = a11ybus::setEnabled(true);
    log(enabled ? "accessibility: switched on for this session"
                : "accessibility: the accessibility bus does not answer");
    return enabled;
  }
  GError* error = nullptr;
  const bool opened = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
  if (error != nullptr) {
    log(std::string("cannot open ") + url + ": " + error->message);
    g_error_free(error);
  }
  return opened;
}

}  // namespace platform
