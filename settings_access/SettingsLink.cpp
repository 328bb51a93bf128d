#include "settings_access/SettingsLink.h"

#include <utility>

#include "Platform/Dispatch/MainQueue.h"
#include "UI/Scene.h"
#include "settings_access/OpenSettingsErrors.h"

namespace quellorin::settings_access {

namespace {

struct Registry {
  std::weak_ptr<SettingsActionTarget> delegate;
  std::function<void()> linkHandler;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

void setApplicationDelegate(std::weak_ptr<SettingsActionTarget> delegate) {
  registry().delegate = std::move(delegate);
}

void setSettingsLinkHandler(std::function<void()> handler) { registry().linkHandler = std::move(handler); }

void openSettingsScene() {
  if (auto handler = registry().linkHandler) handler();
}

bool sendSettingsAction(const std::string& selector) {
  auto delegate = registry().delegate.lock();
  if (!delegate) return false;
  if (!delegate->respondsToSelector(selector)) return false;
  delegate->sendAction(selector);
  return true;
}

void openSettingsLegacy() {
  if (ui::systemVersion().isAtLeast(14))
    throw LegacyOpenSettingsFailure(LegacyOpenSettingsError::unsupportedPlatform);
  if (sendSettingsAction("showSettingsWindow:")) return;
  if (sendSettingsAction("showPreferencesWindow:")) return;
  throw LegacyOpenSettingsFailure(LegacyOpenSettingsError::selectorNotFound);
}

ui::Node PrePostActionsButtonStyle::makeBody(std::string id, ui::Node label,
                                             std::function<void()> trigger) const {
  if (performAction) {
    platform::MainQueue::main()->async(
        [performAction = performAction, trigger] { performAction.set(trigger); });
  }
  return ui::Button(std::move(id), std::move(label), [pre = preAction, post = postAction, trigger] {
    if (pre) pre();
    trigger();
    if (post) post();
  });
}

ui::Node settingsLink(std::string id, ui::Node label, std::function<void()> preAction,
                      std::function<void()> postAction) {
  if (ui::systemVersion().isAtLeast(14)) {
    PrePostActionsButtonStyle style{std::move(preAction), std::move(postAction), {}};
    return style.makeBody(std::move(id), std::move(label), [] { openSettingsScene(); });
  }
  return ui::Button(std::move(id), std::move(label),
                    [pre = std::move(preAction), post = std::move(postAction)] {
                      if (pre) pre();
                      try {
                        openSettingsLegacy();
                      } catch (const LegacyOpenSettingsFailure&) {
                        // Dropped: the button has nowhere to show it, and the post action runs all the same.
                      }
                      if (post) post();
                    });
}

}  // namespace quellorin::settings_access
