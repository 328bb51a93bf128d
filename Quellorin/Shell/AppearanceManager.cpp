#include "Quellorin/Shell/AppearanceManager.h"

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Quellorin/Shell/Application.h"

namespace quellorin {

AppearanceManager::AppearanceManager()
    : selectedAppearance_(
          platform::Environment::current()->userDefaults->string(appearanceKey).value_or("system")) {
  applyAppearance(selectedAppearance_);
}

void AppearanceManager::setSelectedAppearance(const std::string& value) {
  selectedAppearance_ = value;
  objectDidChange();
  platform::Environment::current()->userDefaults->setString(appearanceKey, value);
  applyAppearance(value);
}

void AppearanceManager::applyAppearance(const std::string& value) {
  const auto application = Application::current();
  if (!application) {
    platform::log("NSApp is nil, skipping appearance application");
    return;
  }
  if (value == "auto" || value == "system") {
    application->setAppearance(std::nullopt);
  } else if (value == "light") {
    application->setAppearance(ui::ColorScheme::light);
  } else if (value == "dark") {
    application->setAppearance(ui::ColorScheme::dark);
  }
}

}  // namespace quellorin
