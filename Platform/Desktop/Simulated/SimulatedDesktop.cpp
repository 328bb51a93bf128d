#include "Platform/Desktop/Simulated/SimulatedDesktop.h"
#include "Platform/Desktop/Simulated/SimulatedMediaPlayer.h"

#include <unistd.h>

#include "Platform/Core/Environment.h"
#include "Platform/Desktop/Simulated/LaunchAgentFile.h"
#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"
#include "Platform/Desktop/Simulated/SimulatedEventSystem.h"
#include "Platform/Desktop/Simulated/SimulatedPasteboard.h"
#include "Platform/Desktop/Simulated/SimulatedScreens.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"
#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"
#include "Platform/Desktop/WindowServer.h"

namespace platform {

SimulatedDesktop installSimulatedDesktop(Environment& environment) {
  SimulatedDesktop desktop;
  desktop.workspace = std::make_shared<SimulatedWorkspace>(
      RunningApplication{static_cast<int>(getpid()), "Quellorin", "Quellorin"});
  desktop.accessibility = SimulatedAccessibility::make(desktop.workspace);
  desktop.pasteboard = std::make_shared<SimulatedPasteboard>();
  desktop.eventSystem = std::make_shared<SimulatedEventSystem>(desktop.accessibility, desktop.pasteboard);
  desktop.screens = std::make_shared<SimulatedScreens>();
  desktop.userNotificationCenter = std::make_shared<SimulatedUserNotificationCenter>(environment.taskPool);
  environment.workspace = desktop.workspace;
  environment.accessibility = desktop.accessibility;
  environment.pasteboard = desktop.pasteboard;
  environment.eventSystem = desktop.eventSystem;
  environment.screens = desktop.screens;
  environment.userNotificationCenter = desktop.userNotificationCenter;
  environment.windowServer = std::make_shared<WindowServer>();
  desktop.userNotificationCenter->setApplicationInFront(
      [server = std::weak_ptr<WindowServer>(environment.windowServer)] {
        const auto strong = server.lock();
        return strong && strong->isApplicationActive();
      });
  environment.launchAtLogin = std::make_shared<LaunchAgentFile>();
  environment.makeMediaPlayer = [] { return SimulatedMediaPlayer::make(); };
  return desktop;
}

}  // namespace platform
