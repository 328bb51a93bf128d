#include "Platform/Desktop/Simulated/SimulatedDesktop.h"

#include <unistd.h>

#include "Platform/Desktop/Accessibility.h"
#include "Platform/Core/Environment.h"
#include "Platform/Desktop/EventSystem.h"
#include "Platform/Desktop/Pasteboard.h"
#include "Platform/Desktop/Screens.h"
#include "Platform/Desktop/UserNotificationCenter.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Desktop/Workspace.h"

namespace platform {

void installSimulatedDesktop(Environment& environment) {
  environment.workspace =
      std::make_shared<Workspace>(RunningApplication{static_cast<int>(getpid()), "Quellorin", "Quellorin"});
  environment.accessibility = Accessibility::make(environment.workspace);
  environment.pasteboard = std::make_shared<Pasteboard>();
  environment.eventSystem = std::make_shared<EventSystem>(environment.accessibility, environment.pasteboard);
  environment.screens = std::make_shared<Screens>();
  environment.windowServer = std::make_shared<WindowServer>();
  environment.userNotificationCenter = std::make_shared<UserNotificationCenter>(environment.taskPool);
}

}  // namespace platform
