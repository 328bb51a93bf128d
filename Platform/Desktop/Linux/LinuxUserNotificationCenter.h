#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "Platform/Desktop/UserNotificationCenter.h"

namespace platform {

// Freedesktop notifications through libnotify. The user's choice is the presence of a
// notification server: authorised while one answers on the session bus, denied while none does
// (there is nothing to ask the user). Every call is served on a thread of this object's own,
// one at a time and in order, never on the main thread: a server that owns its name but hangs
// blocks a call for 25 seconds. Observers hear of a change of the status the next time it is
// read. Thread-safe.
class LinuxUserNotificationCenter final : public UserNotificationCenter {
 public:
  LinuxUserNotificationCenter();
  // Serves what was asked before, then stops.
  ~LinuxUserNotificationCenter() override;
  LinuxUserNotificationCenter(const LinuxUserNotificationCenter&) = delete;
  LinuxUserNotificationCenter& operator=(const LinuxUserNotificationCenter&) = delete;

  void getNotificationSettings(SettingsHandler handler) override;
  void requestAuthorization(unsigned options, AuthorizationHandler handler) override;
  void add(NotificationRequest request, DeliveryHandler handler) override;
  void observeAuthorizationChanges(SettingsHandler observer) override;
  // A notification server shows every notification whichever application is in front, so
  // there is nothing to decide.
  void setPresentationHandler(PresentationHandler) override {}

  // The message a refused request or delivery carries.
  static constexpr const char* noServerMessage = "no notification server answers on the session bus";

 private:
  void enqueue(std::function<void()> work);
  void serve();
  // Asks for the server (on the serving thread) and tells the observers of a change.
  AuthorizationStatus currentStatus();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> work_;
  bool stopping_ = false;
  std::vector<SettingsHandler> observers_;
  std::optional<AuthorizationStatus> lastStatus_;
  std::thread server_;
};

}  // namespace platform
