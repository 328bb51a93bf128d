#include "settings_access/OpenSettingsAccessAction.h"

#include <memory>
#include <utility>

#include "UI/Scene.h"
#include "settings_access/OpenSettingsErrors.h"
#include "settings_access/SettingsLink.h"

namespace quellorin::settings_access {

std::shared_ptr<OpenSettingsAccessAction> OpenSettingsAccessAction::make() {
  std::shared_ptr<OpenSettingsAccessAction> action(new OpenSettingsAccessAction());
  if (ui::systemVersion().isAtLeast(14)) {
    std::weak_ptr<OpenSettingsAccessAction> weak = action;
    action->closureBinding = ui::Binding<std::function<void()>>(
        [weak]() -> std::function<void()> {
          auto strong = weak.lock();
          if (!strong || !strong->closure) return nullptr;
          return [closure = strong->closure] {
            try {
              closure();
            } catch (...) {
              // The non-throwing form drops the failure, as a button press would.
            }
          };
        },
        [weak](std::function<void()> callback) {
          auto strong = weak.lock();
          if (!strong) return;
          strong->closure = std::move(callback);
        });
  } else {
    action->closure = [] { openSettingsLegacy(); };
  }
  return action;
}

std::shared_ptr<OpenSettingsAccessAction> OpenSettingsAccessAction::shared() {
  static const std::shared_ptr<OpenSettingsAccessAction> instance = make();
  return instance;
}

void OpenSettingsAccessAction::operator()() const {
  if (!closure) throw OpenSettingsFailure(OpenSettingsError::settingsLinkNotConnected);
  try {
    closure();
  } catch (const LegacyOpenSettingsFailure& failure) {
    throw OpenSettingsFailure(failure.error == LegacyOpenSettingsError::selectorNotFound
                                  ? OpenSettingsError::selectorNotFound
                                  : OpenSettingsError::unsupportedPlatform);
  }
}

}  // namespace quellorin::settings_access
