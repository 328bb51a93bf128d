#pragma once

#include <memory>

namespace platform {
class Timer;
}

namespace quellorin {

class EventMonitorService;
class NotificationService;

// Waits for the user to trust the process for accessibility, asking once a second. While it
// is not trusted it opens the accessibility privacy pane once per run and reminds the user a
// second later; once it is, it installs the global event monitor, tells the user and stops.
// A monitor that the desktop refuses is tried again at the next tick.
//
// Threads: main thread (the ticks and the reminder run on the main queue).
class AccessibilityService : public std::enable_shared_from_this<AccessibilityService> {
 public:
  static constexpr double pollInterval = 1.0;
  static constexpr const char* privacyPaneURL =
      "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

  AccessibilityService(std::shared_ptr<EventMonitorService> eventMonitor,
                       std::shared_ptr<NotificationService> notifications);

  static std::shared_ptr<AccessibilityService> shared();

  // Starts the watch: a repeating timer whose first tick comes one interval from now. The
  // returned timer stays scheduled until the watch ends.
  std::shared_ptr<platform::Timer> startWatching();
  // One tick. `hasPrompted` is the run's memory that the pane was opened.
  void checkAccessibilityPermission(platform::Timer& timer, bool& hasPrompted);
  void openAccessibilitySettings();
  void sendPermissionReminder();

 private:
  const std::shared_ptr<EventMonitorService> eventMonitor_;
  const std::shared_ptr<NotificationService> notifications_;
};

}  // namespace quellorin
