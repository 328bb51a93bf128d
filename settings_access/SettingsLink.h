#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "UI/Binding.h"
#include "UI/Node.h"

namespace quellorin::settings_access {

// What the application's delegate answers to: the two action selectors that open the settings
// on systems before 14 ("showSettingsWindow:", "showPreferencesWindow:").
class SettingsActionTarget {
 public:
  virtual ~SettingsActionTarget() = default;
  virtual bool respondsToSelector(const std::string& selector) const = 0;
  virtual void sendAction(const std::string& selector) = 0;
};

// The application's delegate, held weakly; none by default. Main thread only.
void setApplicationDelegate(std::weak_ptr<SettingsActionTarget> delegate);

// What the framework's own settings link does when pressed on systems from 14 on: opens the
// settings scene. The application installs it; without one, pressing a link opens nothing.
void setSettingsLinkHandler(std::function<void()> handler);
void openSettingsScene();

// Sends `selector` to the application's delegate when it answers to it; answers whether it did.
bool sendSettingsAction(const std::string& selector);

// Opens the settings by selector; throws LegacyOpenSettingsFailure (unsupportedPlatform from 14
// on, selectorNotFound when the delegate answers to neither selector or there is none).
void openSettingsLegacy();

// A settings link's button with actions around its trigger: pressing runs `preAction`, the
// link's trigger, then `postAction`. When `performAction` is given, the trigger is handed to it
// on the main queue after the current evaluation (how a hidden link connects an action).
struct PrePostActionsButtonStyle {
  std::function<void()> preAction;
  std::function<void()> postAction;
  ui::Binding<std::function<void()>> performAction;

  ui::Node makeBody(std::string id, ui::Node label, std::function<void()> trigger) const;
};

// A control that opens the settings, with `preAction` just before and `postAction` just after:
// from 14 on the framework's settings link, before 14 a button that opens by selector (its
// failure dropped). Either way both actions run.
ui::Node settingsLink(std::string id, ui::Node label, std::function<void()> preAction,
                      std::function<void()> postAction);

}  // namespace quellorin::settings_access
