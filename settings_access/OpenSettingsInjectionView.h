#pragma once

#include <memory>

#include "UI/View.h"
#include "settings_access/OpenSettingsAccessAction.h"

namespace quellorin::settings_access {

// Wraps a view so that calling the OpenSettingsAccessAction handed down works from system 14
// on: a hidden settings link (id "open-settings-hidden-link", zero-sized, transparent) sits
// behind the content and connects its trigger to the action. The action is the environment
// object of that type above this view, else the shared default; the content gets it handed
// down either way.
class OpenSettingsInjectionView : public ui::View {
 public:
  explicit OpenSettingsInjectionView(std::shared_ptr<ui::View> content) : content_(std::move(content)) {}
  ui::Node body() override;

 private:
  std::shared_ptr<ui::View> content_;
};

// The view wrapped in an OpenSettingsInjectionView.
std::shared_ptr<ui::View> openSettingsAccess(std::shared_ptr<ui::View> content);

}  // namespace quellorin::settings_access
