#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "UI/Color.h"

namespace ui {
class Host;
}

namespace quellorin {

// The application object: how the process shows itself on the desktop (an accessory has no
// Dock icon and no main menu), the appearance its windows draw in, the hosts of its windows,
// activation, and termination.
//
// One is current per process (`current()`, held weakly: its owner decides its life). Main
// queue only.
class Application : public std::enable_shared_from_this<Application> {
 public:
  enum class ActivationPolicy { regular, accessory };

  // Posted on the environment's notification centre when the application is about to end.
  static constexpr const char* willTerminateNotification = "NSApplicationWillTerminateNotification";

  // Makes an application and makes it current.
  static std::shared_ptr<Application> make();
  // The current application; null before one is made or after it is gone.
  static std::shared_ptr<Application> current();
  ~Application();

  ActivationPolicy activationPolicy() const { return policy_; }
  void setActivationPolicy(ActivationPolicy policy) { policy_ = policy; }

  // None: windows follow the system's scheme. Setting it redraws every registered host.
  const std::optional<ui::ColorScheme>& appearance() const { return appearance_; }
  void setAppearance(std::optional<ui::ColorScheme> appearance);
  // The system's own scheme (the simulated desktop's setting).
  void setSystemColorScheme(ui::ColorScheme scheme);
  // The scheme the windows draw in now.
  ui::ColorScheme effectiveColorScheme() const { return appearance_.value_or(systemScheme_); }

  // A window's host, drawn in the application's scheme from now on. Held weakly.
  void registerHost(const std::shared_ptr<ui::Host>& host);

  // Brings the application in front of the others.
  void activate(bool ignoringOtherApps);

  // Runs `handler` once when the application terminates, before the notification is posted.
  void onWillTerminate(std::function<void()> handler);
  // What ends the run (the application's main loop stops); set by its owner.
  void setTerminationHandler(std::function<void()> handler) { terminationHandler_ = std::move(handler); }
  // Ends the application: the will-terminate handlers in order, the notification, then the
  // termination handler. Later calls do nothing.
  void terminate();
  bool isTerminated() const { return terminated_; }

 private:
  Application() = default;
  void applyScheme();

  ActivationPolicy policy_ = ActivationPolicy::regular;
  std::optional<ui::ColorScheme> appearance_;
  ui::ColorScheme systemScheme_ = ui::ColorScheme::light;
  std::vector<std::weak_ptr<ui::Host>> hosts_;
  std::vector<std::function<void()>> willTerminate_;
  std::function<void()> terminationHandler_;
  bool terminated_ = false;
};

}  // namespace quellorin
