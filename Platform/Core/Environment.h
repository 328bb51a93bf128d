#pragma once

#include <functional>
#include <memory>

#include "Platform/Core/SystemVersion.h"

namespace platform {

class Accessibility;
class AlertPresenter;
class Clock;
class DesktopAppearance;
class EventSystem;
class HttpClient;
class LaunchAtLogin;
class MainQueue;
class MediaPlayer;
class NotificationCenter;
class Pasteboard;
class Screens;
class StatusBar;
class TaskPool;
class UserDefaults;
class UserNotificationCenter;
class WindowServer;
class Workspace;

// Holds the platform services the process runs on. The application installs one at start
// (makeReal()); tests install a fresh one per test (VirtualEnvironment). The process-wide
// shared instances of every layer read their platform services from current().
//
// A plain holder: fill in what a test needs, leave the rest empty.
struct Environment {
  std::shared_ptr<Clock> clock;
  std::shared_ptr<MainQueue> mainQueue;
  std::shared_ptr<TaskPool> taskPool;
  std::shared_ptr<NotificationCenter> notificationCenter;
  std::shared_ptr<UserDefaults> userDefaults;
  std::shared_ptr<HttpClient> httpClient;
  std::shared_ptr<AlertPresenter> alertPresenter;

  // The desktop, through its interfaces (Platform/Desktop/): the simulated one for tests
  // (Simulated/SimulatedDesktop.h), the real one for the application (Linux/). Windows are
  // still simulated in both.
  std::shared_ptr<Workspace> workspace;
  std::shared_ptr<Accessibility> accessibility;
  std::shared_ptr<Pasteboard> pasteboard;
  std::shared_ptr<EventSystem> eventSystem;
  std::shared_ptr<Screens> screens;
  std::shared_ptr<WindowServer> windowServer;
  std::shared_ptr<UserNotificationCenter> userNotificationCenter;
  // Starting the application at login; none where the desktop has no implementation yet.
  std::shared_ptr<LaunchAtLogin> launchAtLogin;
  // The application's item in the desktop's status area; none: the menu lives only in the
  // application (the simulated desktop's menus are read by tests from the view tree).
  std::shared_ptr<StatusBar> statusBar;
  // The desktop's light and dark appearance; none: the application's own setting decides alone.
  std::shared_ptr<DesktopAppearance> appearance;

  // Makes a video player: a simulated one on the simulated desktop, GStreamer on Linux.
  std::function<std::shared_ptr<MediaPlayer>()> makeMediaPlayer;

  // The system version the version-dependent code branches on (13 unless a test sets it).
  SystemVersion systemVersion;

  // The services that need no desktop: the system clock, a main queue on it (to be run by the
  // caller's main thread), a task pool, a notification centre, the user-defaults store on its
  // standard file (decided by HOME and XDG_CONFIG_HOME now) and the libcurl HTTP client.
  static std::shared_ptr<Environment> makeSystemServices();

  // The application's environment: makeSystemServices() and the desktop this process runs
  // on. Defined by the desktop's own target (PlatformLinux), which the application links.
  static std::shared_ptr<Environment> makeReal();

  // The installed environment. Throws std::logic_error when none is installed. Thread-safe.
  static std::shared_ptr<Environment> current();

  // Installs `environment` (null uninstalls) and returns the one it replaces. Thread-safe;
  // holders of the previous one keep it alive as long as they need it.
  static std::shared_ptr<Environment> install(std::shared_ptr<Environment> environment);
};

}  // namespace platform
