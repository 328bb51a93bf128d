#include "Platform/Desktop/Linux/LinuxUserNotificationCenter.h"

#include <libnotify/notify.h>

#include <utility>

#include "Platform/Core/LoggedWork.h"

namespace platform {

LinuxUserNotificationCenter::LinuxUserNotificationCenter() : server_([this] { serve(); }) {}

LinuxUserNotificationCenter::~LinuxUserNotificationCenter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  server_.join();
}

void LinuxUserNotificationCenter::enqueue(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
  }
  wake_.notify_all();
}

void LinuxUserNotificationCenter::serve() {
  if (!notify_is_initted()) notify_init("Quellorin");
  while (true) {
    std::function<void()> next;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !work_.empty(); });
      if (work_.empty()) return;
      next = std::move(work_.front());
      work_.pop_front();
    }
    performLogged("notification centre", next);
  }
}

AuthorizationStatus LinuxUserNotificationCenter::currentStatus() {
  char* name = nullptr;
  char* vendor = nullptr;
  char* version = nullptr;
  char* specVersion = nullptr;
  const bool answers = notify_get_server_info(&name, &vendor, &version, &specVersion);
  g_free(name);
  g_free(vendor);
  g_free(version);
  g_free(specVersion);
  const auto status = answers ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
  std::vector<SettingsHandler> observers;
  {
    std::lock_guard lock(mutex_);
    if (lastStatus_ && *lastStatus_ != status) observers = observers_;
    lastStatus_ = status;
  }
  for (const auto& observer : observers) performLogged("notification observer", [&] { observer(status); });
  return status;
}

void LinuxUserNotificationCenter::getNotificationSettings(SettingsHandler handler) {
  enqueue([this, handler = std::move(handler)] { handler(currentStatus()); });
}

void LinuxUserNotificationCenter::requestAuthorization(unsigned, AuthorizationHandler handler) {
  enqueue([this, handler = std::move(handler)] {
    const bool granted = currentStatus() == AuthorizationStatus::authorized;
    handler(granted, granted ? std::nullopt : std::optional<std::string>(noServerMessage));
  });
}

void LinuxUserNotificationCenter::add(NotificationRequest request, DeliveryHandler handler) {
  enqueue([this, request = std::move(request), handler = std::move(handler)] {
    if (currentStatus() != AuthorizationStatus::authorized) return handler(std::string(noServerMessage));
    NotifyNotification* notification =
        notify_notification_new(request.content.title.c_str(), request.content.body.c_str(), nullptr);
    if (request.content.defaultSound) {
      notify_notification_set_hint_string(notification, "sound-name", "message-new-instant");
    }
    GError* error = nullptr;
    notify_notification_show(notification, &error);
    g_object_unref(notification);
    if (error != nullptr) {
      std::string message = error->message;
      g_error_free(error);
      return handler(std::move(message));
    }
    handler(std::nullopt);
  });
}

void LinuxUserNotificationCenter::observeAuthorizationChanges(SettingsHandler observer) {
  std::lock_guard lock(mutex_);
  observers_.push_back(std::move(observer));
}

}  // namespace platform
