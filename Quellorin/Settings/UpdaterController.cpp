#include "Quellorin/Settings/UpdaterController.h"

#include "Platform/Core/Log.h"
#include "Quellorin/Shell/SoftwareUpdater.h"

namespace quellorin {

void StandardUpdaterController::startUpdater() {
  if (started_) return;
  started_ = true;
  platform::log("[info] updater started, feed " + delegate_.feedURLStringForUpdater());
}

void StandardUpdaterController::checkForUpdates() {
  if (!started_) startUpdater();
  ++checks_;
  platform::log("[info] checking for updates at " + delegate_.feedURLStringForUpdater());
  SoftwareUpdater::shared()->checkForUpdates();
}

void StandardUpdaterController::setAutomaticallyChecksForUpdates(bool value) { automatic_ = value; }

}  // namespace quellorin
