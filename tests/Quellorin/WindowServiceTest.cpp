#include "Quellorin/Services/WindowService.h"

#include <gtest/gtest.h>

#include "DesktopFixture.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"
#include "Platform/Desktop/WindowServer.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {
namespace {

using platform::Rect;

// A root view that remembers what it was built from.
struct RecordedView final : platform::WindowContent {
  RecordedView(std::string t, bool w, platform::Size s) : text(std::move(t)), autoWork(w), size(s) {}
  std::string text;
  bool autoWork;
  platform::Size size;
};

class WindowServiceTest : public testsupport::DesktopFixture {
 protected:
  WindowServiceTest() {
    windows->setRootViewFactory([](const std::string& text, bool autoWork, platform::Size size) {
      return std::make_shared<RecordedView>(text, autoWork, size);
    });
  }

  std::shared_ptr<RecordedView> view() const {
    return std::dynamic_pointer_cast<RecordedView>(windows->mainWindow()->contentView());
  }

  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<WindowService> windows = std::make_shared<WindowService>(textHandling);
};

TEST_F(WindowServiceTest, OpensBelowTheSelectionAsAFloatingBorderlessWindow) {
  windows->showWindow(std::string("hello"), true, 500, 700);
  const auto window = windows->mainWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(window->frame(), (Rect{500, 566, 600, 130}));
  EXPECT_EQ(windows->windowOrigin(), (platform::Point{500, 566}));
  EXPECT_EQ(window->styleMask(), 0x8000u);
  EXPECT_EQ(window->backing(), 2);
  EXPECT_EQ(window->level(), 8);
  EXPECT_EQ(window->backgroundColor().alpha, 0);
  EXPECT_TRUE(window->isMovableByWindowBackground());
  EXPECT_TRUE(window->hasShadow());
  EXPECT_TRUE(window->isKeyWindow());
  EXPECT_TRUE(env().windowServer->isApplicationActive());
  EXPECT_EQ(desktop().workspace->frontmostApplication(), desktop().workspace->currentApplication());
  ASSERT_TRUE(view());
  EXPECT_EQ(view()->text, "hello");
  EXPECT_TRUE(view()->autoWork);
  EXPECT_EQ(view()->size, (platform::Size{600, 130}));
}

TEST_F(WindowServiceTest, ASecondShowReusesTheWindowAtItsFirstSizeWithAFreshView) {
  windows->showWindow(std::nullopt, true, 500, 700);
  const auto first = windows->mainWindow();
  const auto firstView = view();
  windows->resizeWindow(600, 400);
  windows->showWindow(std::string("again"), true, 100, 400);
  EXPECT_EQ(windows->mainWindow(), first);
  EXPECT_EQ(first->frame(), (Rect{100, 266, 600, 130}));
  EXPECT_NE(view(), firstView);
  EXPECT_EQ(firstView->text, "");
  EXPECT_EQ(view()->text, "again");
}

TEST_F(WindowServiceTest, ClosesTheSettingsWindowOnly) {
  auto settings =
      std::make_shared<platform::Window>(Rect{0, 0, 500, 400}, platform::windowstyle::titled, 2, false);
  settings->setIdentifier(std::string(WindowService::settingsWindowIdentifier));
  auto other =
      std::make_shared<platform::Window>(Rect{0, 0, 500, 400}, platform::windowstyle::titled, 2, false);
  settings->makeKeyAndOrderFront();
  other->makeKeyAndOrderFront();
  windows->showWindow(std::nullopt, true, 500, 700);
  EXPECT_TRUE(settings->isClosed());
  EXPECT_TRUE(other->isVisible());
}

TEST_F(WindowServiceTest, GrowingStopsAtTheFloorAndGrowsUpwards) {
  windows->showWindow(std::nullopt, true, 500, 150 + 134);
  ASSERT_EQ(windows->mainWindow()->frame().y, 150);
  windows->resizeWindow(600, 210);
  EXPECT_EQ(windows->mainWindow()->frame(), (Rect{500, 100, 600, 210}));

  windows->resizeWindow(600, 160);
  EXPECT_EQ(windows->mainWindow()->frame(), (Rect{500, 100, 600, 160}))
      << "at the floor the bottom stays put";
}

TEST_F(WindowServiceTest, GrowingAboveTheFloorKeepsTheTopEdge) {
  windows->showWindow(std::nullopt, true, 500, 700);
  windows->resizeWindow(600, 230);
  EXPECT_EQ(windows->mainWindow()->frame(), (Rect{500, 466, 600, 230}));
}

TEST_F(WindowServiceTest, AWindowAcrossTwoScreensUsesTheMainScreensFloor) {
  desktop().screens->setScreens({{0, 0, 1440, 900}, {1440, -300, 1920, 1080}});
  windows->showWindow(std::nullopt, true, 1200, 400);
  ASSERT_FALSE(WindowService::screenContainingWindow(desktop().screens->screens(), *windows->mainWindow()));
  windows->resizeWindow(600, 600);
  EXPECT_EQ(windows->mainWindow()->frame().y, 100);

  desktop().screens->setScreens({});
  windows->resizeWindow(600, 700);
  EXPECT_EQ(windows->mainWindow()->frame().y, 100) << "with no screen at all the floor is 100";
}

TEST_F(WindowServiceTest, TheWindowOnASecondScreenKeepsAboveThatScreensBottom) {
  desktop().screens->setScreens({{0, 0, 1440, 900}, {1440, -300, 1920, 1080}});
  windows->showWindow(std::nullopt, true, 1600, -50);
  windows->resizeWindow(600, 200);
  EXPECT_EQ(windows->mainWindow()->frame().y, -200);
}

TEST_F(WindowServiceTest, RestoresTheFocusToTheApplicationOfTheLastCapture) {
  windows->restoreFocusToOriginalApp();
  EXPECT_TRUE(desktop().workspace->activations().empty()) << "no capture yet: the focus stays";

  bool found = false;
  textHandling->fetchFocusedElement(
      0, [&](TextHandlingService::Element element) { found = element != nullptr; });
  ASSERT_TRUE(found);
  windows->showWindow(std::nullopt, true, 500, 700);
  windows->restoreFocusToOriginalApp();
  const auto activations = desktop().workspace->activations();
  ASSERT_FALSE(activations.empty());
  EXPECT_EQ(activations.back(), (platform::SimulatedWorkspace::Activation{editorPid, 1}));
  EXPECT_EQ(desktop().workspace->frontmostApplication()->processIdentifier, editorPid);
}

TEST_F(WindowServiceTest, LogsWhenTheOriginalWindowOrApplicationIsGone) {
  platform::LogCapture log;
  textHandling->fetchFocusedElement(0, [](TextHandlingService::Element) {});
  field->injectFailure("AXWindow", platform::AXError::invalidUIElement);
  windows->restoreFocusToOriginalApp();
  EXPECT_TRUE(log.contains("无法获取原本的窗口: invalidUIElement"));

  field->clearFailure("AXWindow");
  desktop().workspace->terminate(editorPid);
  windows->restoreFocusToOriginalApp();
  EXPECT_TRUE(log.contains("无法找到原本的应用"));
  EXPECT_TRUE(desktop().workspace->activations().empty());
}

}  // namespace
}  // namespace quellorin
