#include <stdlib.h>

#include <stdexcept>

#include "Platform/Core/Environment.h"
#include "Platform/Desktop/Linux/GLibMainQueue.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedMediaPlayer.h"

namespace platform {

std::shared_ptr<Environment> Environment::makeReal() {
  // Checked first, so that a machine without a display says so before anything starts.
  if (const auto problem = x11DisplayProblem(); !problem.empty()) throw std::runtime_error(problem);
  auto environment = makeSystemServices();
  // Alerts have no Linux implementation yet: they are recorded, as on the simulated desktop.
  environment->alertPresenter = std::make_shared<RecordingAlertPresenter>();
  // The windows' pages are small and static: WebKit's accelerated compositing only costs start-up
  // time and about 70 MB per web process there. A value already set wins.
  setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
  // One thread for GTK and the main queue: the GLib loop of the main thread runs both.
  installLinuxDesktop(*environment, {.toolkitOnCallingThread = true});
  driveMainQueueWithGLib(*environment->mainQueue);
  environment->makeMediaPlayer = [] { return SimulatedMediaPlayer::make(); };
  return environment;
}

}  // namespace platform
