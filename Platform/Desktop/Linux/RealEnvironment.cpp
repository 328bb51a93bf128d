#include <stdlib.h>

#include <stdexcept>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/GLibMainQueue.h"
#include "Platform/Desktop/Linux/GStreamerMediaPlayer.h"
#include "Platform/Desktop/Linux/GtkAppearance.h"
#include "Platform/Desktop/Linux/LinuxAlertPresenter.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Linux/LinuxStatusBar.h"
#include "Platform/Desktop/Linux/XdgAutostartEntry.h"
#include "Platform/Desktop/Simulated/SimulatedMediaPlayer.h"

namespace platform {

std::shared_ptr<Environment> Environment::makeReal() {
  // Checked first, so that a machine without a display says so before anything starts.
  if (const auto problem = x11DisplayProblem(); !problem.empty()) throw std::runtime_error(problem);
  auto environment = makeSystemServices();
  // The windows' pages are small and static: WebKit's accelerated compositing only costs start-up
  // time and about 70 MB per web process there. A value already set wins.
  setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
  // One thread for GTK and the main queue: the GLib loop of the main thread runs both.
  const auto desktop = installLinuxDesktop(*environment, {.toolkitOnCallingThread = true});
  driveMainQueueWithGLib(*environment->mainQueue);
  environment->alertPresenter = std::make_shared<LinuxAlertPresenter>(desktop.desktopThread);
  environment->statusBar = std::make_shared<LinuxStatusBar>(desktop.desktopThread, environment->mainQueue);
  environment->appearance = std::make_shared<GtkAppearance>(desktop.desktopThread);
  environment->launchAtLogin =
      std::make_shared<XdgAutostartEntry>(XdgAutostartEntry::Options{runningExecutablePath(), std::nullopt});
  environment->makeMediaPlayer = []() -> std::shared_ptr<MediaPlayer> {
    try {
      return GStreamerMediaPlayer::make({});
    } catch (const std::exception& error) {
      // The onboarding window still shows its titles and its switch; the pictures stay black.
      log(std::string("[error] videos cannot play: ") + error.what());
      return SimulatedMediaPlayer::make();
    }
  };
  return environment;
}

}  // namespace platform
