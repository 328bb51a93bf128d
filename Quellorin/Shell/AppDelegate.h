#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Quellorin/Shell/OnboardingWindow.h"
#include "UI/Scene.h"

namespace platform {
class InstanceLock;
class MediaPlayer;
class Timer;
class Window;
}  // namespace platform

namespace ui {
class Host;
}

namespace quellorin {

class AccessibilityService;
class AppearanceManager;
class Application;
class EventMonitorService;
class LanguageManager;
class NotificationService;
class OnboardingView;

// Starts and ends the application: makes it an accessory, keeps it to one instance, starts the
// accessibility watch that installs the event monitor, sets up notifications, stores the device
// identifier, fetches the usage counts, builds the status item on system 12, and opens the
// onboarding window until the user turns it off. At the end it removes the event monitor.
//
// Main queue only; one per run.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
 public:
  static constexpr const char* isFirstLaunchKey = "isFirstLaunch";
  static constexpr const char* unknownDeviceIdentifier = "UnknownDeviceIdentifier";
  // The status item's switch remembers here the language it turns the trigger back on with.
  static constexpr const char* lastSpacebarLanguageKey = "SpecialKeyFeatureLastLanguage";

  // What start-up reaches outside itself; the application's own services by default.
  struct Dependencies {
    std::shared_ptr<Application> application;
    std::shared_ptr<NotificationService> notifications;
    std::shared_ptr<AccessibilityService> accessibility;
    std::shared_ptr<EventMonitorService> eventMonitor;
    std::function<std::string()> deviceIdentifier;
    std::function<void()> fetchUserSubInfo;
    std::function<std::shared_ptr<platform::MediaPlayer>()> makePlayer;
    // The lock that keeps one instance per user; none: only the running applications decide.
    std::optional<std::filesystem::path> instanceLockFile;
  };

  explicit AppDelegate(Dependencies dependencies);
  ~AppDelegate();
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // The start-up sequence. Answers false when another instance runs and this one terminated.
  bool applicationDidFinishLaunching();
  // Removes the event monitor and stops the watch.
  void applicationWillTerminate();
  static bool applicationShouldTerminateAfterLastWindowClosed() { return false; }

  // The status item's switch of the space-bar trigger ("SpecialKeyFeatureStatus").
  void toggleSpecialKey();
  void updateSpecialKeyMenuItem();
  void showSettingsPage();

  // Opens the onboarding window (also when it was turned off).
  void openOnboardingWindow();

  bool showOnboarding() const;
  const std::shared_ptr<ui::StatusItem>& statusItem() const { return statusItem_; }
  const std::shared_ptr<platform::Window>& onboardingWindow() const { return onboarding_.window(); }
  const std::shared_ptr<ui::Host>& onboardingHost() const { return onboarding_.host(); }
  const std::shared_ptr<OnboardingView>& onboardingView() const { return onboarding_.view(); }
  const std::shared_ptr<platform::Timer>& permissionTimer() const { return permissionTimer_; }
  const std::shared_ptr<AppearanceManager>& appearanceManager() const { return appearanceManager_; }
  const std::shared_ptr<LanguageManager>& languageManager() const { return languageManager_; }

 private:
  static Dependencies withDefaults(Dependencies dependencies);
  bool anotherInstanceRuns();
  void storeDeviceIdentifier();
  void buildStatusItem();
  ui::MenuItem specialKeyItem();

  Dependencies dependencies_;
  std::shared_ptr<platform::Timer> permissionTimer_;
  std::shared_ptr<AppearanceManager> appearanceManager_;
  std::shared_ptr<LanguageManager> languageManager_;
  std::shared_ptr<ui::StatusItem> statusItem_;
  std::unique_ptr<platform::InstanceLock> instanceLock_;
  // Its view's binding is constant: closing the window leaves "hasSeenOnboarding" to the toggle.
  OnboardingWindow onboarding_;
};

}  // namespace quellorin
