#include "Platform/Core/Environment.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedDesktop.h"

namespace platform {

std::shared_ptr<Environment> Environment::makeReal() {
  auto environment = makeSystemServices();
  environment->alertPresenter = std::make_shared<RecordingAlertPresenter>();
  installSimulatedDesktop(*environment);
  return environment;
}

}  // namespace platform
