#include "Quellorin/Services/EventMonitorService.h"

#include <gtest/gtest.h>

#include "DesktopFixture.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Window.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Common/ShortcutDisplayString.h"

namespace quellorin {
namespace {

using platform::Event;
using platform::EventType;

// The space-bar road, when it fires, selects the line at the caret and logs it; the field
// holds only white space, so the road stops there without sending anything.
constexpr const char* roadStarted = "当前行：";

class EventMonitorServiceTest : public testsupport::DesktopFixture {
 protected:
  EventMonitorServiceTest() {
    env().userDefaults->setString("SpecialKeyFeatureStatus", "French");
    EXPECT_TRUE(monitor->installGlobalMonitor());
  }

  void key(std::uint16_t code, double timestamp, std::uint64_t flags = 0, bool repeat = false,
           std::u16string characters = {}) {
    desktop().eventSystem->deliverUserEvent(
        Event{EventType::keyDown, code, flags, timestamp, repeat, std::move(characters)});
    settle(0);
  }
  void space(double timestamp, std::uint64_t flags = 0, bool repeat = false) {
    key(platform::keycode::space, timestamp, flags, repeat, u" ");
  }
  void mouse(EventType type) { desktop().eventSystem->deliverUserEvent(Event{type, 0, 0, 0, false, {}}); }

  std::size_t roadsStarted() const {
    std::size_t count = 0;
    for (auto text = log.text(); text.find(roadStarted) != std::string::npos;
         text.erase(0, text.find(roadStarted) + 1)) {
      ++count;
    }
    return count;
  }

  platform::LogCapture log;
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>();
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<WindowService> windows = std::make_shared<WindowService>(textHandling);
  std::shared_ptr<EventMonitorService> monitor =
      std::make_shared<EventMonitorService>(textHandling, windows, aiService);
};

TEST_F(EventMonitorServiceTest, TheMonitorReservesTheShortcutFromTheApplicationInFrontUntilRemoved) {
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(),
            (platform::KeyCombination{platform::keycode::space, modifier::command | modifier::shift}));
  monitor->removeGlobalMonitor();
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(), std::nullopt);
  env().userDefaults->setString("GlobalShortcut", "⌃ + ⌥ + K");
  settle(0);
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(), std::nullopt) << "no monitor, nothing kept";
  EXPECT_TRUE(monitor->installGlobalMonitor());
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(),
            (platform::KeyCombination{40, modifier::control | modifier::option}));
  // A shortcut recorded while the monitor runs replaces the reserved one; removing the setting
  // goes back to the default.
  env().userDefaults->setString("GlobalShortcut", "⌘ + ⌥ + K");
  settle(0);
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(),
            (platform::KeyCombination{40, modifier::command | modifier::option}));
  env().userDefaults->remove("GlobalShortcut");
  settle(0);
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(),
            (platform::KeyCombination{platform::keycode::space, modifier::command | modifier::shift}));
}

TEST_F(EventMonitorServiceTest, SpacesExactlyOneSecondApartArmTheTrigger) {
  space(10);
  space(11);
  space(12);
  EXPECT_EQ(monitor->spacePressCount(), 3);
  settle(0.19);
  EXPECT_EQ(roadsStarted(), 0u);
  settle(0.01);
  EXPECT_EQ(roadsStarted(), 1u);
  EXPECT_EQ(monitor->spacePressCount(), 0);
  EXPECT_TRUE(log.contains("spacePressCount: 3"));
}

TEST_F(EventMonitorServiceTest, AGapAboveOneSecondRestartsTheCount) {
  space(10);
  space(11);
  space(12.01);
  EXPECT_EQ(monitor->spacePressCount(), 1);
  settle(1);
  EXPECT_EQ(roadsStarted(), 0u);
}

TEST_F(EventMonitorServiceTest, AFourthQuickSpaceCancelsAndTheSeventhArmsAgain) {
  for (double t : {1.0, 1.1, 1.2, 1.3}) space(t);
  EXPECT_EQ(monitor->spacePressCount(), 0);
  settle(0.5);
  EXPECT_EQ(roadsStarted(), 0u);
  space(1.9);
  space(2.0);
  EXPECT_EQ(monitor->spacePressCount(), 2);
  space(2.1);
  settle(0.2);
  EXPECT_EQ(roadsStarted(), 1u);
}

TEST_F(EventMonitorServiceTest, AutoRepeatNeitherCountsNorResets) {
  space(1);
  space(1.5, 0, true);
  space(1.6, 0, true);
  EXPECT_EQ(monitor->spacePressCount(), 1);
  key(platform::keycode::a, 1.7, 0, true, u"a");
  EXPECT_EQ(monitor->spacePressCount(), 1);
  space(1.9);
  EXPECT_EQ(monitor->spacePressCount(), 2) << "the gap is measured from the last counted press";
}

TEST_F(EventMonitorServiceTest, AMousePressOrAnotherKeyDisarmsTheTrigger) {
  space(1);
  space(1.1);
  space(1.2);
  mouse(EventType::leftMouseDown);
  EXPECT_EQ(monitor->spacePressCount(), 0);
  settle(0.3);
  EXPECT_EQ(roadsStarted(), 0u);

  space(3);
  space(3.1);
  space(3.2);
  key(platform::keycode::a, 3.25, 0, false, u"a");
  settle(0.3);
  EXPECT_EQ(roadsStarted(), 0u);

  mouse(EventType::leftMouseUp);
  space(5);
  mouse(EventType::leftMouseDragged);
  EXPECT_EQ(monitor->spacePressCount(), 1) << "mouse up and drags change nothing";
  mouse(EventType::rightMouseDown);
  EXPECT_EQ(monitor->spacePressCount(), 0);
}

TEST_F(EventMonitorServiceTest, ShiftSpaceCountsUnlessItIsTheShortcut) {
  space(1, modifier::shift);
  EXPECT_EQ(monitor->spacePressCount(), 1);
  env().userDefaults->setString("GlobalShortcut",
                                shortcutDisplayString(platform::keycode::space, modifier::shift));
  space(1.5, modifier::shift);
  EXPECT_EQ(monitor->spacePressCount(), 1);
  EXPECT_FALSE(log.contains("spacePressCount: 2"));
}

TEST_F(EventMonitorServiceTest, ADisabledTriggerCountsNothing) {
  env().userDefaults->remove("SpecialKeyFeatureStatus");
  space(1);
  env().userDefaults->setString("SpecialKeyFeatureStatus", "disabled");
  space(1.1);
  space(1.2);
  EXPECT_EQ(monitor->spacePressCount(), 0);
  settle(0.5);
  EXPECT_EQ(roadsStarted(), 0u);
  EXPECT_TRUE(log.contains("未开启特殊键连按功能"));
}

TEST_F(EventMonitorServiceTest, TheShortcutMatchesWithCapsLockOnAndOpensTheWindow) {
  field->setText("pick me");
  field->setSelection({0, 4});
  field->setBoundsForRanges(platform::Rect{200, 300, 80, 20});
  key(platform::keycode::space, 1, modifier::command | modifier::shift | modifier::capsLock, false, u" ");
  EXPECT_EQ(monitor->spacePressCount(), 0);
  settle(0.4);
  const auto window = windows->mainWindow();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->frame(), (platform::Rect{200, 580 - 134, 600, 130}));
}

TEST_F(EventMonitorServiceTest, APlainSpaceShortcutMeansTheTriggerNeverFires) {
  env().userDefaults->setString("GlobalShortcut", "␣");
  for (double t : {1.0, 1.1, 1.2}) space(t);
  EXPECT_EQ(monitor->spacePressCount(), 0);
  settle(0.5);
  EXPECT_EQ(roadsStarted(), 0u);
  EXPECT_TRUE(windows->mainWindow());
}

TEST_F(EventMonitorServiceTest, RemovingTheMonitorTwiceRemovesItOnce) {
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  monitor->removeGlobalMonitor();
  monitor->removeGlobalMonitor();
  EXPECT_FALSE(monitor->hasGlobalMonitor());
  EXPECT_EQ(desktop().eventSystem->monitorCount(), 0u);
  EXPECT_EQ(desktop().eventSystem->invalidRemovals(), 0u);
  space(1);
  EXPECT_EQ(monitor->spacePressCount(), 0);
}

TEST_F(EventMonitorServiceTest, TheDefaultOriginCentresOnTheScreenUnderTheMouse) {
  desktop().screens->setScreens({{0, 0, 1440, 900}, {1440, 0, 1920, 1080}});
  desktop().screens->setMouseLocation({2000, 500});
  EXPECT_EQ(monitor->defaultWindowOrigin(), (platform::Point{1440 + 960 - 300, 540 + 65 + 100}));
  desktop().screens->setMouseLocation({-5, -5});
  EXPECT_EQ(monitor->defaultWindowOrigin(), (platform::Point{0, 0}));
  EXPECT_TRUE(log.contains("未找到包含焦点窗口的屏幕"));
}

TEST_F(EventMonitorServiceTest, ACaretWithoutExtentOpensTheWindowAtTheDefaultOrigin) {
  field->setText("abc");
  field->setBoundsForRanges(platform::Rect{200, 300, 0, 20});
  desktop().screens->setMouseLocation({10, 10});
  monitor->handleGlobalShortcut();
  settle(0.4);
  ASSERT_TRUE(windows->mainWindow());
  EXPECT_EQ(windows->mainWindow()->frame(), (platform::Rect{720 - 300, 450 + 65 + 100 - 134, 600, 130}));
}

TEST_F(EventMonitorServiceTest, ASelectionRectangleAtTheOriginOpensTheWindowAtTheDefaultOrigin) {
  field->setText("abc");
  field->setSelection({0, 3});
  field->setBoundsForRanges(platform::Rect{0, 880, 30, 20});  // flipped: (0, 0, 30, 20)
  desktop().screens->setMouseLocation({10, 10});
  monitor->handleGlobalShortcut();
  settle(0.4);
  ASSERT_TRUE(windows->mainWindow());
  EXPECT_EQ(windows->mainWindow()->frame().x, 720 - 300);
  EXPECT_TRUE(log.contains("选中的文本: abc，位置: (0.0, 0.0)"));
}

}  // namespace
}  // namespace quellorin
