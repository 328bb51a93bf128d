#include "Quellorin/Shell/AppDelegate.h"

#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/InstanceLock.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/MediaPlayer.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/UserNotificationCenter.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Desktop/Workspace.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/Timer.h"
#include "Quellorin/Services/AccessibilityService.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Common/Account.h"
#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "Quellorin/Shell/OnboardingView.h"
#include "Quellorin/Common/RequestCredentials.h"
#include "Quellorin/Shell/SettingsOpener.h"
#include "UI/HostContent.h"
#include "UI/Host.h"

namespace quellorin {

namespace {

// Badge, sound and alert.
constexpr unsigned kAuthorizationOptions = 7;

platform::Environment& environment() { return *platform::Environment::current(); }
platform::UserDefaults& defaults() { return *environment().userDefaults; }

bool spacebarTriggerIsOn() {
  const auto status = defaults().string("SpecialKeyFeatureStatus");
  return status && *status != "disabled";
}

// A menu action that reaches the delegate while it lives.
template <class Function>
std::function<void()> weakAction(std::weak_ptr<AppDelegate> weak, Function function) {
  return [weak, function] {
    if (const auto self = weak.lock()) function(*self);
  };
}

}  // namespace

AppDelegate::Dependencies AppDelegate::withDefaults(Dependencies d) {
  if (!d.notifications) d.notifications = NotificationService::shared();
  if (!d.eventMonitor) d.eventMonitor = EventMonitorService::shared();
  if (!d.accessibility) d.accessibility = AccessibilityService::shared();
  if (!d.deviceIdentifier) d.deviceIdentifier = [] { return quellorin::deviceIdentifier(); };
  if (!d.fetchUserSubInfo) d.fetchUserSubInfo = [] { quellorin::fetchUserSubInfo(); };
  if (!d.makePlayer) {
    d.makePlayer = []() -> std::shared_ptr<platform::MediaPlayer> {
      const auto& make = environment().makeMediaPlayer;
      return make ? make() : nullptr;
    };
  }
  return d;
}

AppDelegate::AppDelegate(Dependencies dependencies)
    : dependencies_(withDefaults(std::move(dependencies))),
      onboarding_(ui::Binding<bool>::constant(true), dependencies_.makePlayer,
                  platform::windowstyle::titled | platform::windowstyle::closable |
                      platform::windowstyle::resizable) {}

AppDelegate::~AppDelegate() {
  if (permissionTimer_) permissionTimer_->invalidate();
}

bool AppDelegate::showOnboarding() const { return !defaults().bool_(OnboardingView::hasSeenOnboardingKey); }

bool AppDelegate::applicationDidFinishLaunching() {
  auto& env = environment();
  dependencies_.application->setActivationPolicy(Application::ActivationPolicy::accessory);
  for (const auto& window : env.windowServer->windows()) window->orderOut();

  dependencies_.notifications->checkAuthorizationAtLaunch();
  permissionTimer_ = dependencies_.accessibility->startWatching();

  appearanceManager_ = std::make_shared<AppearanceManager>();
  languageManager_ = std::make_shared<LanguageManager>();

  if (anotherInstanceRuns()) {
    platform::log("[info] Quellorin is already running; this instance ends");
    dependencies_.application->terminate();
    return false;
  }

  if (env.systemVersion.major == 12) buildStatusItem();
  storeDeviceIdentifier();
  dependencies_.fetchUserSubInfo();

  // The application's own notifications show as banners with sound even while it is in front.
  env.userNotificationCenter->setPresentationHandler([](const platform::NotificationRequest&) {
    return platform::UserNotificationCenter::presentBanner | platform::UserNotificationCenter::presentSound;
  });
  env.userNotificationCenter->requestAuthorization(
      kAuthorizationOptions, [](bool granted, const std::optional<std::string>&) {
        platform::log(granted ? "通知权限已授予" : "通知权限被拒绝");
      });
  if (showOnboarding()) openOnboardingWindow();
  return true;
}

bool AppDelegate::anotherInstanceRuns() {
  const auto identifier = platform::Bundle::main()->bundleIdentifier().value_or("");
  const auto& workspace = *environment().workspace;
  int running = 0;
  for (const auto& application : workspace.runningApplications()) {
    if (application.bundleIdentifier == identifier) ++running;
  }
  // This process counts once, whether or not the desktop lists it under the bundle's identifier.
  if (workspace.currentApplication().bundleIdentifier != identifier) ++running;
  if (running >= 2) return true;
  if (dependencies_.instanceLockFile) {
    instanceLock_ = platform::InstanceLock::acquire(*dependencies_.instanceLockFile);
    if (!instanceLock_) return true;
  }
  return false;
}

void AppDelegate::storeDeviceIdentifier() {
  auto& store = defaults();
  const bool firstLaunch = !store.contains(isFirstLaunchKey) || store.bool_(isFirstLaunchKey);
  const auto stored = store.string("DeviceIdentifier");
  // A placeholder stored at an earlier launch is replaced once the machine's identity can be read,
  // so stored and freshly read identifiers agree again.
  const bool placeholder = !stored || *stored == unknownDeviceIdentifier;
  if (!firstLaunch && !placeholder) return;
  const std::string identifier = dependencies_.deviceIdentifier();
  if (firstLaunch || identifier != unknownDeviceIdentifier) {
    platform::log("Device Identifier: " + identifier);
    store.setString("DeviceIdentifier", identifier);
  }
  store.setBool(isFirstLaunchKey, false);
}

ui::MenuItem AppDelegate::specialKeyItem() {
  const bool on = spacebarTriggerIsOn();
  ui::MenuItem item;
  item.id = "specialKey";
  item.title = "\n" + platform::localizedString(on ? "spacebarTriggerEnabled" : "spacebarTriggerDisabled");
  item.symbol = on ? "checkmark.circle.fill" : "xmark.circle.fill";
  item.action = weakAction(weak_from_this(), [](AppDelegate& self) { self.toggleSpecialKey(); });
  return item;
}

void AppDelegate::buildStatusItem() {
  std::vector<ui::MenuItem> menu;
  menu.push_back(specialKeyItem());
  menu.push_back(ui::MenuItem::divider());
  ui::MenuItem settings;
  settings.id = "settings";
  settings.title = platform::localizedString("settings");
  settings.action = weakAction(weak_from_this(), [](AppDelegate& self) { self.showSettingsPage(); });
  menu.push_back(std::move(settings));
  ui::MenuItem exit;
  exit.id = "exit";
  exit.title = platform::localizedString("exit");
  exit.action = [application = std::weak_ptr<Application>(dependencies_.application)] {
    if (const auto strong = application.lock()) strong->terminate();
  };
  menu.push_back(std::move(exit));
  statusItem_ = std::make_shared<ui::StatusItem>("Tessival", std::move(menu));
}

void AppDelegate::toggleSpecialKey() {
  auto& store = defaults();
  const bool turnOn = !spacebarTriggerIsOn();
  if (turnOn) {
    store.setString("SpecialKeyFeatureStatus", store.string(lastSpacebarLanguageKey).value_or("EN"));
  } else {
    store.setString(lastSpacebarLanguageKey, *store.string("SpecialKeyFeatureStatus"));
    store.setString("SpecialKeyFeatureStatus", "disabled");
  }
  platform::MainQueue::main()->async(weakAction(weak_from_this(), [turnOn](AppDelegate& self) {
    self.dependencies_.notifications->sendNotification(
        platform::localizedString("spacebarTrigger"),
        platform::localizedString(turnOn ? "spacebarTriggerEnabled" : "spacebarTriggerDisabled"));
    environment().notificationCenter->post("SpecialKeyFeatureStatusChanged");
    self.updateSpecialKeyMenuItem();
  }));
}

void AppDelegate::updateSpecialKeyMenuItem() {
  if (!statusItem_) return;
  auto menu = statusItem_->menu();
  for (auto& item : menu) {
    if (item.id == "specialKey") {
      item = specialKeyItem();
      statusItem_->setMenu(std::move(menu));
      return;
    }
  }
}

void AppDelegate::showSettingsPage() {
  SettingsOpener::open();
  platform::log("showSettingsPage 被调用");
}

void AppDelegate::openOnboardingWindow() { onboarding_.show(); }

void AppDelegate::applicationWillTerminate() {
  if (permissionTimer_) permissionTimer_->invalidate();
  dependencies_.eventMonitor->removeGlobalMonitor();
}

}  // namespace quellorin
