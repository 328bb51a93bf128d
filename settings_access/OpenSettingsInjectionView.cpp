#include "settings_access/OpenSettingsInjectionView.h"

#include <utility>

#include "UI/Scene.h"
#include "settings_access/SettingsLink.h"

namespace quellorin::settings_access {

ui::Node OpenSettingsInjectionView::body() {
  auto action = environmentObject<OpenSettingsAccessAction>();
  if (!action) action = OpenSettingsAccessAction::shared();
  ui::Node content = ui::Embed(content_);
  ui::Node whole;
  if (ui::systemVersion().isAtLeast(14)) {
    PrePostActionsButtonStyle style{nullptr, nullptr, action->closureBinding};
    ui::Node link = style.makeBody("open-settings-hidden-link", ui::Empty(), [] { openSettingsScene(); });
    link.frame(0.0, 0.0).opacity(0);
    whole = ui::ZStack({std::move(link), std::move(content)});
  } else {
    whole = ui::Group({std::move(content)});
  }
  whole.environmentObject(action);
  return whole;
}

std::shared_ptr<ui::View> openSettingsAccess(std::shared_ptr<ui::View> content) {
  return std::make_shared<OpenSettingsInjectionView>(std::move(content));
}

}  // namespace quellorin::settings_access
