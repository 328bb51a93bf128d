#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"

#include <gtest/gtest.h>

#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"
#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"

namespace platform {
namespace {

struct AccessibilityFixture : ::testing::Test {
  std::shared_ptr<SimulatedWorkspace> workspace =
      std::make_shared<SimulatedWorkspace>(RunningApplication{1, "self", "Self"});
  std::shared_ptr<SimulatedAccessibility> accessibility = SimulatedAccessibility::make(workspace);
  std::shared_ptr<SimulatedAccessibilityElement> field =
      std::make_shared<SimulatedAccessibilityElement>(100, "AXTextArea");

  void SetUp() override {
    accessibility->setProcessTrusted(true);
    workspace->launch({100, "com.example.editor", "Editor"});
    accessibility->setFocusedElement(100, field);
  }

  AXResult focused() { return accessibility->systemWideElement()->copyAttributeValue("AXFocusedUIElement"); }
};

TEST_F(AccessibilityFixture, TheSystemWideElementAnswersTheFrontApplicationsFocus) {
  const auto result = focused();
  ASSERT_EQ(result.status, AXError::success);
  EXPECT_EQ(std::get<std::shared_ptr<AccessibilityElement>>(*result.value), field);

  workspace->launch({200, "com.example.other", "Other"});
  EXPECT_EQ(focused().status, AXError::noValue);
}

TEST_F(AccessibilityFixture, AnUntrustedProcessReadsNothing) {
  accessibility->setProcessTrusted(false);
  EXPECT_EQ(focused().status, AXError::apiDisabled);
}

TEST_F(AccessibilityFixture, ManualAccessibilityUnlocksTheFocusedElement) {
  accessibility->requireManualAccessibility(100);
  EXPECT_EQ(focused().status, AXError::cannotComplete);
  auto application = accessibility->applicationElement(100);
  EXPECT_EQ(std::get<std::string>(*application->copyAttributeValue("AXTitle").value), "Editor");
  ASSERT_EQ(application->setAttributeValue("AXManualAccessibility", true), AXError::success);
  EXPECT_EQ(focused().status, AXError::success);
}

TEST_F(AccessibilityFixture, TheSystemWideElementOutlivingItsDesktopCannotComplete) {
  const auto systemWide = accessibility->systemWideElement();
  accessibility.reset();
  EXPECT_EQ(systemWide->copyAttributeValue("AXFocusedUIElement").status, AXError::cannotComplete);
}

TEST(Workspace, ActivatesRunningApplicationsAndRecordsOpenedURLs) {
  SimulatedWorkspace workspace({1, "self", "Self"});
  EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, 1);
  workspace.launch({100, "b", "B"});
  EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, 100);
  EXPECT_FALSE(workspace.activate(300, Workspace::activateAllWindows));
  EXPECT_TRUE(workspace.activate(1, Workspace::activateAllWindows));
  EXPECT_EQ(workspace.activations(), (std::vector<SimulatedWorkspace::Activation>{{1, 1}}));
  workspace.terminate(1);
  EXPECT_FALSE(workspace.frontmostApplication());

  EXPECT_TRUE(workspace.openURL("x-a:b"));
  workspace.failOpeningURLs(true);
  EXPECT_FALSE(workspace.openURL("x-a:c"));
  EXPECT_EQ(workspace.openedURLs(), std::vector<std::string>{"x-a:b"});
}

}  // namespace
}  // namespace platform
