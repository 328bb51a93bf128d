#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

// The user's choice about this application's notifications, with the desktop's numbers.
enum class AuthorizationStatus : int {
  notDetermined = 0,
  denied = 1,
  authorized = 2,
  provisional = 3,
  ephemeral = 4
};

// What a notification shows.
struct NotificationContent {
  std::string title;
  std::string body;
  bool defaultSound = false;
  bool operator==(const NotificationContent&) const = default;
};

// A notification handed to the centre, delivered at once (no trigger).
struct NotificationRequest {
  std::string identifier;
  NotificationContent content;
  bool operator==(const NotificationRequest&) const = default;
};

// The user-notification centre. Every answer comes later on a thread of the implementation's
// (never inside the call, never on the main thread), as the desktop answers on a queue of its
// own. Implementations are thread-safe.
class UserNotificationCenter {
 public:
  // Option bits of an authorisation request.
  static constexpr unsigned badgeOption = 1;
  static constexpr unsigned soundOption = 2;
  static constexpr unsigned alertOption = 4;

  using SettingsHandler = std::function<void(AuthorizationStatus)>;
  using AuthorizationHandler = std::function<void(bool granted, std::optional<std::string> error)>;
  using DeliveryHandler = std::function<void(std::optional<std::string> error)>;

  // How a notification that arrives while this application is in front is shown: option bits.
  static constexpr unsigned presentSound = 2;
  static constexpr unsigned presentList = 8;
  static constexpr unsigned presentBanner = 16;
  // Answers those bits for a notification; may be called on any thread.
  using PresentationHandler = std::function<unsigned(const NotificationRequest&)>;

  virtual ~UserNotificationCenter() = default;

  virtual void getNotificationSettings(SettingsHandler handler) = 0;
  // Asks the user when the status is not determined; otherwise answers with the standing
  // decision.
  virtual void requestAuthorization(unsigned options, AuthorizationHandler handler) = 0;
  // Delivers the request; the handler hears of a failure (shown nowhere while not authorised).
  virtual void add(NotificationRequest request, DeliveryHandler handler) = 0;
  // Calls `observer` after each change of the status made outside this application (the
  // system settings, a notification server that comes or goes), until the centre is gone.
  virtual void observeAuthorizationChanges(SettingsHandler observer) = 0;
  // Decides how notifications arriving while this application is in front are shown. Without
  // one, the desktop keeps them out of sight while the application is in front.
  virtual void setPresentationHandler(PresentationHandler handler) = 0;
};

}  // namespace platform
