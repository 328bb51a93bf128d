#include "Quellorin/Services/NotificationService.h"

#include "Platform/Desktop/Alert.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Crypto/UUID.h"
#include "Platform/Desktop/Workspace.h"

namespace quellorin {

namespace {

using platform::AuthorizationStatus;

constexpr const char* notificationSettingsURL =
    "x-apple.systempreferences:com.apple.preference.notifications";

bool allowsNotifications(AuthorizationStatus status) {
  return status == AuthorizationStatus::authorized || status == AuthorizationStatus::provisional ||
         status == AuthorizationStatus::ephemeral;
}

}  // namespace

std::shared_ptr<NotificationService> NotificationService::shared() {
  static const auto instance = std::make_shared<NotificationService>();
  return instance;
}

void NotificationService::checkAuthorizationAtLaunch() {
  auto center = platform::Environment::current()->userNotificationCenter;
  std::weak_ptr<NotificationService> weak = shared_from_this();
  center->observeAuthorizationChanges([weak](AuthorizationStatus status) {
    const auto self = weak.lock();
    if (self && allowsNotifications(status)) self->listenForEditorNotifications();
  });
  center->getNotificationSettings([weak](AuthorizationStatus status) {
    if (const auto self = weak.lock()) self->handleAuthorizationStatus(status);
  });
}

void NotificationService::handleAuthorizationStatus(AuthorizationStatus status) {
  const auto environment = platform::Environment::current();
  if (allowsNotifications(status)) {
    platform::log("通知权限已授权");
    listenForEditorNotifications();
  } else if (status == AuthorizationStatus::denied) {
    std::weak_ptr<NotificationService> weak = shared_from_this();
    environment->mainQueue->async([weak] {
      if (const auto self = weak.lock()) self->showPermissionDeniedAlert();
    });
  } else {
    std::weak_ptr<NotificationService> weak = shared_from_this();
    const unsigned options = platform::UserNotificationCenter::alertOption |
                             platform::UserNotificationCenter::soundOption |
                             platform::UserNotificationCenter::badgeOption;
    environment->userNotificationCenter->requestAuthorization(
        options, [weak](bool granted, std::optional<std::string> error) {
          if (const auto self = weak.lock()) self->handleAuthorizationResult(granted, error);
        });
  }
}

void NotificationService::handleAuthorizationResult(bool granted, const std::optional<std::string>&) {
  if (!granted) {
    platform::log("用户拒绝授权通知");
    return;
  }
  platform::log("用户同意授权通知");
  listenForEditorNotifications();
}

void NotificationService::showPermissionDeniedAlert() {
  const auto environment = platform::Environment::current();
  const platform::Alert alert{
      platform::AlertStyle::warning,
      platform::localizedString("notificationPermissionDenied"),
      platform::localizedString("pleaseEbableNotification"),
      {platform::localizedString("openSettings"), platform::localizedString("cancel")}};
  if (environment->alertPresenter->runModal(alert) != 0) return;
  if (environment->workspace->openURL(notificationSettingsURL)) platform::log("打开了系统设置");
}

void NotificationService::sendNotification(const std::string& title, const std::string& body) {
  platform::NotificationRequest request{platform::randomUUIDString(), {title, body, true}};
  platform::Environment::current()->userNotificationCenter->add(
      std::move(request), [](std::optional<std::string> error) { logDeliveryResult(error); });
}

void NotificationService::handleEditorNotification(const platform::Notification& notification) {
  const auto title = notification.userInfo.find("title");
  const auto body = notification.userInfo.find("body");
  if (title == notification.userInfo.end() || body == notification.userInfo.end()) return;
  sendNotification(title->second, body->second);
}

void NotificationService::logDeliveryResult(const std::optional<std::string>& error) {
  platform::log(error ? "通知发送失败: " + *error : std::string("系统通知已发送"));
}

bool NotificationService::isListening() const {
  std::lock_guard lock(mutex_);
  return observer_.has_value();
}

void NotificationService::listenForEditorNotifications() {
  std::lock_guard lock(mutex_);
  if (observer_) return;
  std::weak_ptr<NotificationService> weak = shared_from_this();
  observer_ = platform::Environment::current()->notificationCenter->addObserver(
      sendEditorNotification, platform::NotificationCenter::Delivery::postingThread,
      [weak](const platform::Notification& notification) {
        if (const auto self = weak.lock()) self->handleEditorNotification(notification);
      });
}

}  // namespace quellorin
