#pragma once

// A virtual-time environment with a simulated editor in front, for the assistant services'
// tests: the editor's text field has the focus, the process is trusted, one 1440 by 900
// screen. settle() moves virtual time while letting pool work that waits on it go on.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"
#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Desktop/Simulated/SimulatedEventSystem.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Desktop/Simulated/SimulatedPasteboard.h"
#include "Platform/Desktop/Simulated/SimulatedScreens.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/VirtualClock.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"

namespace testsupport {

class DesktopFixture : public ::testing::Test {
 protected:
  static constexpr int editorPid = 4242;

  DesktopFixture() {
    env().userDefaults = platform::UserDefaults::inMemory();
    desktop().accessibility->setProcessTrusted(true);
    desktop().screens->setScreens({{0, 0, 1440, 900}});
    desktop().workspace->launch({editorPid, "com.example.editor", "Editor"});
    editorWindow->setAttribute("AXTitle", std::string("Untitled"));
    field->setAttribute("AXParent", editorWindow);
    field->setAttribute("AXWindow", editorWindow);
    field->setText("");
    desktop().accessibility->setFocusedElement(editorPid, field);
  }

  platform::Environment& env() { return virtualEnvironment.environment(); }
  platform::SimulatedDesktop& desktop() { return virtualEnvironment.desktop(); }

  // Moves virtual time `seconds` forward; at each deadline on the way the main queue runs what
  // is due and the task pool finishes what that started before time moves on.
  void settle(double seconds) {
    auto& queue = *env().mainQueue;
    const auto target = virtualEnvironment.clock().monotonicTime() + platform::durationFromSeconds(seconds);
    virtualEnvironment.runUntilIdle();
    for (auto next = queue.nextDeadline(); next && *next <= target; next = queue.nextDeadline()) {
      advanceTo(*next);
      virtualEnvironment.runUntilIdle();
    }
    advanceTo(target);
    virtualEnvironment.runUntilIdle();
  }

  platform::VirtualEnvironment virtualEnvironment;
  std::shared_ptr<platform::SimulatedAccessibilityElement> editorWindow =
      std::make_shared<platform::SimulatedAccessibilityElement>(editorPid, "AXWindow");
  std::shared_ptr<platform::SimulatedAccessibilityElement> field =
      std::make_shared<platform::SimulatedAccessibilityElement>(editorPid, "AXTextArea");

 private:
  void advanceTo(std::chrono::nanoseconds deadline) {
    const auto now = virtualEnvironment.clock().monotonicTime();
    if (deadline > now) virtualEnvironment.advance(std::chrono::duration<double>(deadline - now).count());
  }
};

}  // namespace testsupport
