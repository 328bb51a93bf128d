// Launch at startup: the switch's effect on the desktop's launch-at-login registration.

#include <string>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Alert.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Settings/SettingsView.h"

namespace quellorin {

std::string SettingsView::executablePath() {
  auto bundle = platform::Bundle::main();
  const auto& info = bundle->infoDictionary();
  const auto executable = info.find("CFBundleExecutable");
  if (executable == info.end() || !executable->is_string()) return {};
  return bundle->bundlePath().string() + "/Contents/MacOS/" + executable->get<std::string>();
}

void SettingsView::installLaunchAgent() {
  auto environment = platform::Environment::current();
  std::string failure;
  const auto path = executablePath();
  if (!services_.launchAtLogin) {
    platform::log("Failed to create launch agent plist: launch at login is not available on this desktop");
    failure = "launch at login is not available on this desktop";
  } else if (path.empty()) {
    platform::log("Failed to get executable name");
    failure = "Failed to get executable name";
  } else if (auto outcome = services_.launchAtLogin->enable(path); !outcome.succeeded) {
    platform::log("Failed to create launch agent plist: " + outcome.error);
    failure = outcome.error;
  }
  if (!failure.empty()) {
    // The switch and the stored setting follow what is on disk: back off, and say why.
    launchAtStartup.set(false);
    pendingLaunchAtStartupChange.set(false);
    environment->userDefaults->setBool("LaunchAtStartup", false);
    environment->alertPresenter->runModal(platform::Alert{
        platform::AlertStyle::warning, platform::localizedString("launchAtStartupFailed"), failure, {"OK"}});
    return;
  }
  environment->userDefaults->setBool("LaunchAtStartup", true);
  NotificationService::shared()->sendNotification(platform::localizedString("operationCompleted"),
                                                  platform::localizedString("startSuccess"));
}

void SettingsView::removeLaunchAgent() {
  if (!services_.launchAtLogin) return;
  std::string error;
  switch (services_.launchAtLogin->disable(error)) {
    case platform::LaunchAtLogin::Removal::wasAbsent:
      return;
    case platform::LaunchAtLogin::Removal::failed:
      platform::log("Failed to remove launch agent plist: " + error);
      return;
    case platform::LaunchAtLogin::Removal::removed:
      NotificationService::shared()->sendNotification(platform::localizedString("operationCompleted"),
                                                      platform::localizedString("functionOff"));
      return;
  }
}

}  // namespace quellorin
