#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/UserNotificationCenter.h"

namespace quellorin {

// Shows short messages to the user through the desktop's user-notification centre, and
// listens for "sendEditorNotification" requests of other code (user information "title" and
// "body") once the user allows notifications: at launch, in answer to the request made at
// launch, or later in the run in the system settings.
//
// Threads: any. The permission alert runs on the main queue. Platform services come from the
// installed environment.
class NotificationService : public std::enable_shared_from_this<NotificationService> {
 public:
  static constexpr const char* sendEditorNotification = "sendEditorNotification";

  static std::shared_ptr<NotificationService> shared();

  // At launch: asks the centre for the current settings and hands them to
  // handleAuthorizationStatus; from then on, a permission granted in the system settings
  // registers the listener too.
  void checkAuthorizationAtLaunch();
  void handleAuthorizationStatus(platform::AuthorizationStatus status);
  void handleAuthorizationResult(bool granted, const std::optional<std::string>& error);
  // Main thread: the alert that offers to open the notification settings.
  void showPermissionDeniedAlert();
  void sendNotification(const std::string& title, const std::string& body);
  void handleEditorNotification(const platform::Notification& notification);
  static void logDeliveryResult(const std::optional<std::string>& error);

  // Whether the "sendEditorNotification" listener is registered.
  bool isListening() const;

 private:
  // Registers the listener once per instance.
  void listenForEditorNotifications();

  mutable std::mutex mutex_;
  std::optional<platform::NotificationCenter::ObserverToken> observer_;
};

}  // namespace quellorin
