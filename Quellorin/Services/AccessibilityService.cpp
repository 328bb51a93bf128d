#include "Quellorin/Services/AccessibilityService.h"

#include <utility>

#include "Platform/Desktop/Accessibility.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/Timer.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Workspace.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/NotificationService.h"

namespace quellorin {

namespace {

constexpr double kReminderDelay = 1.0;

}  // namespace

AccessibilityService::AccessibilityService(std::shared_ptr<EventMonitorService> eventMonitor,
                                           std::shared_ptr<NotificationService> notifications)
    : eventMonitor_(std::move(eventMonitor)), notifications_(std::move(notifications)) {}

std::shared_ptr<AccessibilityService> AccessibilityService::shared() {
  static const auto instance =
      std::make_shared<AccessibilityService>(EventMonitorService::shared(), NotificationService::shared());
  return instance;
}

std::shared_ptr<platform::Timer> AccessibilityService::startWatching() {
  std::weak_ptr<AccessibilityService> weak = shared_from_this();
  auto hasPrompted = std::make_shared<bool>(false);
  return platform::MainQueue::main()->scheduleTimer(
      pollInterval, true, [weak, hasPrompted](platform::Timer& timer) {
        if (const auto self = weak.lock()) self->checkAccessibilityPermission(timer, *hasPrompted);
      });
}

void AccessibilityService::checkAccessibilityPermission(platform::Timer& timer, bool& hasPrompted) {
  const auto environment = platform::Environment::current();
  const bool trusted = environment->accessibility->isProcessTrusted();
  platform::log(std::string("辅助功能权限检查结果：") + (trusted ? "true" : "false"));
  if (trusted) {
    platform::log("设置全局事件监视器。");
    if (!eventMonitor_->installGlobalMonitor()) {
      platform::log("全局事件监视器安装失败，将在下次检查时重试");
      return;
    }
    notifications_->sendNotification(platform::localizedString("accessibilityPermissions"),
                                     platform::localizedString("openAccessibilityPermissions"));
    timer.invalidate();
    return;
  }
  if (hasPrompted) return;
  openAccessibilitySettings();
  environment->userDefaults->setBool("isFeatureEnabled", false);
  platform::log("辅助功能权限未授权,已提示用户");
  hasPrompted = true;
}

void AccessibilityService::openAccessibilitySettings() {
  platform::Environment::current()->workspace->openURL(privacyPaneURL);
  std::weak_ptr<AccessibilityService> weak = shared_from_this();
  platform::MainQueue::main()->asyncAfter(kReminderDelay, [weak] {
    if (const auto self = weak.lock()) self->sendPermissionReminder();
  });
}

void AccessibilityService::sendPermissionReminder() {
  notifications_->sendNotification(platform::localizedString("accessibilityPermissionsRequired"),
                                   platform::localizedString("pleaseOpenPermissions"));
}

}  // namespace quellorin
