#include <stdexcept>

#include "Platform/Core/Environment.h"
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
  installLinuxDesktop(*environment);
  environment->makeMediaPlayer = [] { return SimulatedMediaPlayer::make(); };
  return environment;
}

}  // namespace platform
