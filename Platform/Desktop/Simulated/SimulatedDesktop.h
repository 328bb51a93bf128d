#pragma once

#include <memory>

namespace platform {

struct Environment;
class SimulatedAccessibility;
class SimulatedEventSystem;
class SimulatedPasteboard;
class SimulatedScreens;
class SimulatedUserNotificationCenter;
class SimulatedWorkspace;
class WindowServer;

// The simulated desktop's services with their desktop sides, for the tests that drive them.
// The environment holds the same objects through their interfaces.
struct SimulatedDesktop {
  std::shared_ptr<SimulatedWorkspace> workspace;
  std::shared_ptr<SimulatedAccessibility> accessibility;
  std::shared_ptr<SimulatedPasteboard> pasteboard;
  std::shared_ptr<SimulatedEventSystem> eventSystem;
  std::shared_ptr<SimulatedScreens> screens;
  std::shared_ptr<SimulatedUserNotificationCenter> userNotificationCenter;
};

// Gives `environment` a fresh simulated desktop and answers it: this process as the one
// running application, in front; no other application, no screen, no trust for accessibility,
// an empty pasteboard, notifications not yet decided, no window, and launch at login through the
// launch agent in the home folder of the moment. Needs the environment's
// task pool.
SimulatedDesktop installSimulatedDesktop(Environment& environment);

}  // namespace platform
