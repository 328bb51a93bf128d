#include "Platform/Desktop/Simulated/SimulatedEventSystem.h"

#include <gtest/gtest.h>

#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"
#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"
#include "Platform/Desktop/Simulated/SimulatedPasteboard.h"
#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"

namespace platform {
namespace {

struct EventSystemFixture : ::testing::Test {
  std::shared_ptr<SimulatedWorkspace> workspace =
      std::make_shared<SimulatedWorkspace>(RunningApplication{1, "self", "Self"});
  std::shared_ptr<SimulatedAccessibility> accessibility = SimulatedAccessibility::make(workspace);
  std::shared_ptr<SimulatedPasteboard> pasteboard = std::make_shared<SimulatedPasteboard>();
  SimulatedEventSystem events{accessibility, pasteboard};
  std::shared_ptr<SimulatedAccessibilityElement> field =
      std::make_shared<SimulatedAccessibilityElement>(100, "AXTextArea");

  void SetUp() override {
    workspace->launch({100, "editor", "Editor"});
    accessibility->setFocusedElement(100, field);
    field->setText("hello world");
  }

  static Event key(std::uint16_t code, std::u16string characters, std::uint64_t flags = 0) {
    return Event{EventType::keyDown, code, flags, 0, false, std::move(characters)};
  }
};

TEST_F(EventSystemFixture, MonitorsSeeOnlyTheTypesOfTheirMask) {
  std::vector<EventType> seen;
  const auto token =
      events.addGlobalMonitor(eventMask(EventType::keyDown) | eventMask(EventType::leftMouseDown),
                              [&](const Event& event) { seen.push_back(event.type); });
  ASSERT_TRUE(token);
  events.deliverUserEvent(Event{EventType::leftMouseDown, 0, 0, 0, false, {}});
  events.deliverUserEvent(Event{EventType::leftMouseUp, 0, 0, 0, false, {}});
  events.deliverUserEvent(key(keycode::space, u" "));
  EXPECT_EQ(seen, (std::vector<EventType>{EventType::leftMouseDown, EventType::keyDown}));
  EXPECT_EQ(field->text(), "hello world ");

  events.removeMonitor(*token);
  events.removeMonitor(*token);
  EXPECT_EQ(events.monitorCount(), 0u);
  EXPECT_EQ(events.invalidRemovals(), 1u);
}

TEST_F(EventSystemFixture, RefusedMonitorsGiveNoToken) {
  events.refuseMonitors(true);
  EXPECT_FALSE(events.addGlobalMonitor(eventMask(EventType::keyDown), [](const Event&) {}));
}

TEST_F(EventSystemFixture, PostedCharactersReplaceTheSelection) {
  field->setSelection({6, 5});
  events.post(key(keycode::a, u"W"));
  events.post(Event{EventType::keyUp, keycode::a, 0, 0, false, u"W"});
  EXPECT_EQ(field->text(), "hello W");
  EXPECT_EQ(events.postedEvents().size(), 2u);

  events.dropPostedEvents(true);
  events.post(key(keycode::a, u"X"));
  EXPECT_EQ(field->text(), "hello W");
}

TEST_F(EventSystemFixture, CommandCCopiesTheSelectionUnlessIgnored) {
  field->setSelection({0, 5});
  events.post(key(keycode::c, u"c", commandKeyFlag));
  EXPECT_EQ(pasteboard->string(), "hello");
  EXPECT_EQ(field->text(), "hello world");

  pasteboard->clearContents();
  events.ignoreCopyCommand(true);
  events.post(key(keycode::c, u"c", commandKeyFlag));
  EXPECT_FALSE(pasteboard->string());
}

TEST_F(EventSystemFixture, SourcesAndEventsCanBeMadeToFail) {
  ASSERT_TRUE(events.makeEventSource());
  const auto source = *events.makeEventSource();
  const auto down = events.makeKeyboardEvent(source, keycode::c, true);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->type, EventType::keyDown);
  EXPECT_EQ(events.makeKeyboardEvent(source, keycode::c, false)->type, EventType::keyUp);
  events.failEventCreation(true);
  EXPECT_FALSE(events.makeKeyboardEvent(source, keycode::c, true));
  events.failEventSourceCreation(true);
  EXPECT_FALSE(events.makeEventSource());
}

TEST(Pasteboard, KeepsItemsWithSeveralTypes) {
  SimulatedPasteboard pasteboard;
  const auto before = pasteboard.changeCount();
  EXPECT_EQ(pasteboard.clearContents(), before + 1);
  pasteboard.writeObjects(
      {{{Pasteboard::pngType, "PNG"}}, {{Pasteboard::plainTextType, "t"}, {Pasteboard::htmlType, "h"}}});
  EXPECT_EQ(pasteboard.string(), "t");
  ASSERT_EQ(pasteboard.pasteboardItems().size(), 2u);
  EXPECT_EQ(pasteboard.pasteboardItems()[1].at(Pasteboard::htmlType), "h");
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(SimulatedEventSystemReservation, AReservedCombinationReachesTheMonitorsButNotTheApplicationInFront) {
  auto workspace = std::make_shared<SimulatedWorkspace>(RunningApplication{1, "self", "Self"});
  auto accessibility = SimulatedAccessibility::make(workspace);
  SimulatedEventSystem events{accessibility, std::make_shared<SimulatedPasteboard>()};
  auto field = std::make_shared<SimulatedAccessibilityElement>(100, "AXTextArea");
  workspace->launch({100, "editor", "Editor"});
  accessibility->setFocusedElement(100, field);
  field->setText("abc");
  int seen = 0;
  events.addGlobalMonitor(eventMask(EventType::keyDown), [&](const Event&) { ++seen; });
  events.reserveKeyCombination(KeyCombination{keycode::space, 0x100000 | 0x20000});

  // Caps lock on does not matter; a different modifier set is another combination.
  for (const std::uint64_t flags : {0x100000 | 0x20000, 0x100000 | 0x20000 | 0x10000}) {
    events.deliverUserEvent(Event{EventType::keyDown, keycode::space, flags, 0, false, u" "});
  }
  EXPECT_EQ(field->text(), "abc");
  events.deliverUserEvent(Event{EventType::keyDown, keycode::space, 0x20000, 0, false, u" "});
  EXPECT_EQ(field->text(), "abc ");
  events.reserveKeyCombination(std::nullopt);
  events.deliverUserEvent(Event{EventType::keyDown, keycode::space, 0, 0, false, u" "});
  EXPECT_EQ(field->text(), "abc  ") << "given back";
  EXPECT_EQ(seen, 4) << "the monitors see every one";
}

}  // namespace
}  // namespace platform
