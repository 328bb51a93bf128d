#include "Platform/SimulatedDesktop.h"

#include <unistd.h>

#include "Platform/Accessibility.h"
#include "Platform/Environment.h"
#include "Platform/EventSystem.h"
#include "Platform/Pasteboard.h"
#include "Platform/Screens.h"
#include "Platform/UserNotificationCenter.h"
#include "Platform/WindowServer.h"
#include "Platform/Workspace.h"

namespace platform {

void installSimulatedDesktop(Environment& environment) {
  environment.workspace =
      std::make_shared<Workspace>(RunningApplication{static_cast<int>(getpid()), "Quellorin", "Quellorin"});
  environment.accessibility = std::make_shared<Accessibility>(environment.workspace);
  environment.pasteboard = std::make_shared<Pasteboard>();
  environment.eventSystem = std::make_shared<EventSystem>(environment.accessibility, environment.pasteboard);
  environment.screens = std::make_shared<Screens>();
  environment.windowServer = std::make_shared<WindowServer>();
  environment.userNotificationCenter = std::make_shared<UserNotificationCenter>(environment.taskPool);
}

}  // namespace platform
