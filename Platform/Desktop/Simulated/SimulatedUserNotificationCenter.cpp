#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"

#include <utility>

#include "Platform/Dispatch/TaskPool.h"

namespace platform {

SimulatedUserNotificationCenter::SimulatedUserNotificationCenter(std::shared_ptr<TaskPool> taskPool)
    : taskPool_(std::move(taskPool)) {}

bool SimulatedUserNotificationCenter::allowsDelivery(AuthorizationStatus status) {
  return status == AuthorizationStatus::authorized || status == AuthorizationStatus::provisional ||
         status == AuthorizationStatus::ephemeral;
}

void SimulatedUserNotificationCenter::getNotificationSettings(SettingsHandler handler) {
  const auto status = authorizationStatus();
  taskPool_->async([handler = std::move(handler), status] { handler(status); });
}

void SimulatedUserNotificationCenter::requestAuthorization(unsigned options, AuthorizationHandler handler) {
  bool granted = false;
  {
    std::lock_guard lock(mutex_);
    authorizationRequests_.push_back(options);
    if (status_ == AuthorizationStatus::notDetermined) {
      status_ = scriptedGrant_ ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
    }
    granted = allowsDelivery(status_);
  }
  taskPool_->async([handler = std::move(handler), granted] { handler(granted, std::nullopt); });
}

void SimulatedUserNotificationCenter::add(NotificationRequest request, DeliveryHandler handler) {
  std::optional<std::string> error;
  bool delivered = false;
  PresentationHandler presentation;
  std::function<bool()> inFront;
  {
    std::lock_guard lock(mutex_);
    error = deliveryError_;
    requests_.push_back(request);
    delivered = !error && allowsDelivery(status_);
    if (delivered) delivered_.push_back(request);
    presentation = presentation_;
    inFront = inFront_;
  }
  // The handlers run outside the lock: they belong to the application.
  if (delivered && (!inFront || !inFront() || (presentation && (presentation(request) & presentBanner)))) {
    std::lock_guard lock(mutex_);
    banners_.push_back(std::move(request));
  }
  taskPool_->async([handler = std::move(handler), error] { handler(error); });
}

void SimulatedUserNotificationCenter::setPresentationHandler(PresentationHandler handler) {
  std::lock_guard lock(mutex_);
  presentation_ = std::move(handler);
}

std::vector<NotificationRequest> SimulatedUserNotificationCenter::banners() const {
  std::lock_guard lock(mutex_);
  return banners_;
}

void SimulatedUserNotificationCenter::setApplicationInFront(std::function<bool()> query) {
  std::lock_guard lock(mutex_);
  inFront_ = std::move(query);
}

void SimulatedUserNotificationCenter::observeAuthorizationChanges(SettingsHandler observer) {
  std::lock_guard lock(mutex_);
  observers_.push_back(std::move(observer));
}

AuthorizationStatus SimulatedUserNotificationCenter::authorizationStatus() const {
  std::lock_guard lock(mutex_);
  return status_;
}

void SimulatedUserNotificationCenter::setAuthorizationStatus(AuthorizationStatus status) {
  std::vector<SettingsHandler> observers;
  {
    std::lock_guard lock(mutex_);
    status_ = status;
    observers = observers_;
  }
  for (auto& observer : observers) taskPool_->async([observer, status] { observer(status); });
}

void SimulatedUserNotificationCenter::scriptAuthorizationAnswer(bool grant) {
  std::lock_guard lock(mutex_);
  scriptedGrant_ = grant;
}

std::vector<NotificationRequest> SimulatedUserNotificationCenter::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<NotificationRequest> SimulatedUserNotificationCenter::delivered() const {
  std::lock_guard lock(mutex_);
  return delivered_;
}

std::vector<unsigned> SimulatedUserNotificationCenter::authorizationRequests() const {
  std::lock_guard lock(mutex_);
  return authorizationRequests_;
}

void SimulatedUserNotificationCenter::failDeliveries(std::optional<std::string> error) {
  std::lock_guard lock(mutex_);
  deliveryError_ = std::move(error);
}

}  // namespace platform
