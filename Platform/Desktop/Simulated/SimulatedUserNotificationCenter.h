#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/UserNotificationCenter.h"

namespace platform {

class TaskPool;

// The simulated user-notification centre. Answers come on the task pool, as the desktop
// answers on a queue of its own. The user's answer to an authorisation request is scripted.
// Thread-safe.
class SimulatedUserNotificationCenter final : public UserNotificationCenter {
 public:
  explicit SimulatedUserNotificationCenter(std::shared_ptr<TaskPool> taskPool);

  void getNotificationSettings(SettingsHandler handler) override;
  // Asks the user when the status is not determined (the scripted answer decides); otherwise
  // answers with the standing decision.
  void requestAuthorization(unsigned options, AuthorizationHandler handler) override;
  // Delivers the request (the desktop drops it silently unless authorised).
  void add(NotificationRequest request, DeliveryHandler handler) override;
  // Calls `observer` on the task pool after each change of the status made in the system
  // settings (setAuthorizationStatus), until the centre is gone.
  void observeAuthorizationChanges(SettingsHandler observer) override;
  void setPresentationHandler(PresentationHandler handler) override;

  // --- The desktop side ----------------------------------------------------------------------
  AuthorizationStatus authorizationStatus() const;
  // The user changes the permission in the system settings.
  void setAuthorizationStatus(AuthorizationStatus status);
  void scriptAuthorizationAnswer(bool grant);
  // Every request handed over, shown or not, in order.
  std::vector<NotificationRequest> requests() const;
  // The requests the user saw (handed over while authorised).
  std::vector<NotificationRequest> delivered() const;
  // Of those, the ones shown as a banner: all while the application is not in front; while it
  // is, those its presentation handler answers with the banner bit.
  std::vector<NotificationRequest> banners() const;
  // Whether this application is in front; asked on each delivery (none: never in front).
  void setApplicationInFront(std::function<bool()> query);
  std::vector<unsigned> authorizationRequests() const;
  // The next deliveries fail with this error text; none makes them succeed again.
  void failDeliveries(std::optional<std::string> error);

 private:
  static bool allowsDelivery(AuthorizationStatus status);

  const std::shared_ptr<TaskPool> taskPool_;
  mutable std::mutex mutex_;
  AuthorizationStatus status_ = AuthorizationStatus::notDetermined;
  bool scriptedGrant_ = false;
  std::vector<NotificationRequest> requests_;
  std::vector<NotificationRequest> delivered_;
  std::vector<NotificationRequest> banners_;
  PresentationHandler presentation_;
  std::function<bool()> inFront_;
  std::vector<unsigned> authorizationRequests_;
  std::vector<SettingsHandler> observers_;
  std::optional<std::string> deliveryError_;
};

}  // namespace platform
