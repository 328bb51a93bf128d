#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "DesktopFixture.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/Timer.h"
#include "Quellorin/Common/ShortcutDisplayString.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/AccessibilityService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/TranslationRun.h"
#include "Quellorin/Services/WindowService.h"

namespace quellorin {
namespace {

using platform::AXRange;
using platform::Pasteboard;
using platform::Rect;

class TextHandlingServiceTest : public testsupport::DesktopFixture {
 protected:
  std::optional<CaretLine> lineAt(const std::string& text, std::int64_t caret) {
    field->setText(text);
    field->setSelection({caret, 0});
    std::optional<CaretLine> line;
    bool done = false;
    service->selectCurrentLine([&](std::optional<CaretLine> found) {
      line = std::move(found);
      done = true;
    });
    settle(0);
    EXPECT_TRUE(done);
    return line;
  }

  SelectedText capture() {
    std::optional<SelectedText> result;
    service->getSelectedText([&](SelectedText selected) { result = std::move(selected); });
    settle(0.33);
    EXPECT_TRUE(result) << "the capture ends after the copy command's 130 ms and the 200 ms wait";
    return result.value_or(SelectedText{});
  }

  std::shared_ptr<TextHandlingService> service = std::make_shared<TextHandlingService>();
};

TEST_F(TextHandlingServiceTest, SelectsTheLineAtTheCaretCountingInUTF16Units) {
  const struct {
    std::string text;
    std::int64_t caret;
    std::string line;
    AXRange range;
  } cases[] = {
      {"ab\ncd", 2, "ab", {0, 2}},  // the caret at 2 ends the first line, at 3 starts the second
      {"ab\ncd", 3, "cd", {3, 2}},
      {"ab\n", 3, "", {3, 0}},
      {"", 0, "", {0, 0}},
      {"one\r\ntwo", 1, "one\r", {0, 4}},
      {"\xF0\x9F\x98\x80x\nsecond", 3, "\xF0\x9F\x98\x80x", {0, 3}},  // U+1F600 is two units
      {"\xF0\x9F\x98\x80x\nsecond", 4, "second", {4, 6}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text) + " at " + std::to_string(c.caret));
    const auto line = lineAt(c.text, c.caret);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, c.line);
    EXPECT_EQ(line->range, c.range);
    EXPECT_EQ(field->selection(), c.range);
  }
  field->setProvider("AXSelectedTextRange", [] {
    return platform::AXResult{platform::AXError::success, AXRange{6, 0}};
  });
  EXPECT_FALSE(lineAt("ab\ncd", 6)) << "a caret beyond the text selects nothing";
  EXPECT_EQ(field->selection(), (AXRange{5, 0}));
}

TEST_F(TextHandlingServiceTest, RetriesTheFocusedElementAfterSwitchingOnManualAccessibility) {
  desktop().accessibility->requireManualAccessibility(editorPid);
  field->setText("hello");
  std::optional<CaretLine> line;
  bool done = false;
  service->selectCurrentLine([&](std::optional<CaretLine> found) {
    line = std::move(found);
    done = true;
  });
  settle(0.49);
  EXPECT_FALSE(done) << "the second read comes 0.5 s after the first";
  settle(0.01);
  ASSERT_TRUE(done);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->text, "hello");
  EXPECT_EQ(service->originalFocusedElement(), field);
}

TEST_F(TextHandlingServiceTest, GivesUpAfterFourReads) {
  platform::LogCapture log;
  field->injectFailure("AXRole", platform::AXError::cannotComplete);
  desktop().accessibility->setFocusedElement(editorPid, nullptr);
  bool done = false;
  service->fetchFocusedElement(0, [&](TextHandlingService::Element element) {
    EXPECT_EQ(element, nullptr);
    done = true;
  });
  settle(1.49);
  EXPECT_FALSE(done);
  settle(0.01);
  EXPECT_TRUE(done);
  EXPECT_TRUE(log.contains("已达到最大递归深度,无法获取焦点元素"));
  std::size_t failedReads = 0;
  for (auto text = log.text(); text.find("无法获取到焦点元素") != std::string::npos;
       text.erase(0, text.find("无法获取到焦点元素") + 1)) {
    ++failedReads;
  }
  EXPECT_EQ(failedReads, 4u);
  EXPECT_EQ(service->originalFocusedElement(), nullptr);
}

TEST_F(TextHandlingServiceTest, ACaptureWhoseServiceIsGoneEndsWithTheEmptyAnswer) {
  // The first read of the focused element fails, so each capture has a step 0.5 s later.
  desktop().accessibility->requireManualAccessibility(editorPid);
  field->setText("hello");
  using Answer = std::function<void(bool empty)>;
  const struct {
    const char* name;
    std::function<void(TextHandlingService&, Answer)> start;
  } cases[] = {
      {"fetchFocusedElement",
       [](TextHandlingService& s, Answer answer) {
         s.fetchFocusedElement(0, [answer](TextHandlingService::Element element) { answer(!element); });
       }},
      {"selectCurrentLine",
       [](TextHandlingService& s, Answer answer) {
         s.selectCurrentLine([answer](std::optional<CaretLine> line) { answer(!line); });
       }},
      {"getSelectedText",
       [](TextHandlingService& s, Answer answer) {
         s.getSelectedText([answer](SelectedText selected) { answer(!selected.text && !selected.rect); });
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    desktop().accessibility->applicationElement(editorPid)->setAttributeValue("AXManualAccessibility", false);
    auto owner = std::make_shared<TextHandlingService>();
    std::optional<bool> empty;
    c.start(*owner, [&empty](bool answer) { empty = answer; });
    EXPECT_FALSE(empty);
    owner.reset();
    settle(2);
    EXPECT_EQ(empty, std::optional<bool>(true));
  }
}

TEST_F(TextHandlingServiceTest, ZeroSizedBoundsClimbToTheFirstSizedAncestor) {
  auto parent = std::make_shared<platform::SimulatedAccessibilityElement>(editorPid, "AXScrollArea");
  auto grandparent = std::make_shared<platform::SimulatedAccessibilityElement>(editorPid, "AXGroup");
  field->setAttribute("AXParent", parent);
  parent->setAttribute("AXParent", grandparent);
  field->setBoundsForRanges(Rect{100, 100, 0, 18});
  parent->setBoundsForRanges(Rect{90, 90, 0, 40});
  grandparent->setBoundsForRanges(Rect{80, 200, 300, 50});
  EXPECT_EQ(service->boundsForRange(field, {0, 0}), (Rect{80, 650, 300, 50}));

  grandparent->setBoundsForRanges(std::nullopt);
  EXPECT_EQ(service->boundsForRange(field, {0, 0}), (Rect{90, 770, 0, 40}))
      << "the walk ends at the last ancestor that answered, flipped";
  parent->setBoundsForRanges(std::nullopt);
  EXPECT_EQ(service->boundsForRange(field, {0, 0}), (Rect{100, 782, 0, 18}));
}

TEST_F(TextHandlingServiceTest, FlipsWithThePrimaryScreensHeight) {
  desktop().screens->setScreens({{0, 0, 1440, 900}, {1440, 0, 2560, 1440}});
  EXPECT_EQ(TextHandlingService::toCocoaCoordinates({2000, 300, 50, 20}), (Rect{2000, 580, 50, 20}));
  desktop().screens->setScreens({});
  EXPECT_EQ(TextHandlingService::toCocoaCoordinates({10, 300, 50, 20}), (Rect{10, -320, 50, 20}));
}

TEST_F(TextHandlingServiceTest, CapturesTheSelectionWithItsRectangleAndRestoresEveryPasteboardItem) {
  field->setText("say hello there");
  field->setSelection({4, 5});
  field->setBoundsForRanges(Rect{300, 200, 40, 18});
  desktop().pasteboard->writeObjects(
      {{{Pasteboard::pngType, "\x89PNG"}, {Pasteboard::fileURLType, "file:///a.png"}},
       {{Pasteboard::plainTextType, "**old**"}, {Pasteboard::rtfType, "{\\rtf1 old}"}}});
  const auto before = desktop().pasteboard->pasteboardItems();

  const auto selected = capture();
  EXPECT_EQ(selected.text, "hello");
  EXPECT_EQ(selected.rect, (Rect{300, 682, 40, 18}));
  EXPECT_EQ(desktop().pasteboard->pasteboardItems(), before);
  EXPECT_EQ(service->originalFocusedElement(), field);
}

TEST_F(TextHandlingServiceTest, TheCopyCommandIsCommandCAndNeedsASelectionAndAnEventSource) {
  field->setText("abc");
  field->setSelection({0, 3});
  EXPECT_EQ(capture().text, "abc");
  EXPECT_EQ(desktop().pasteboard->string(), "abc") << "an empty pasteboard keeps the copied selection";
  const auto posted = desktop().eventSystem->postedEvents();
  ASSERT_EQ(posted.size(), 4u);
  EXPECT_EQ(posted[0].keyCode, platform::keycode::command);
  EXPECT_EQ(posted[1].keyCode, platform::keycode::c);
  EXPECT_EQ(posted[1].modifierFlags, platform::commandKeyFlag);
  EXPECT_EQ(posted[2].type, platform::EventType::keyUp);
  EXPECT_EQ(posted[2].keyCode, platform::keycode::c);
  EXPECT_EQ(posted[3].keyCode, platform::keycode::command);

  field->setSelection({1, 0});
  const std::vector<platform::PasteboardItem> previous = {{{Pasteboard::plainTextType, "previous"}}};
  desktop().pasteboard->clearContents();
  desktop().pasteboard->writeObjects(previous);
  EXPECT_FALSE(capture().text) << "no selection";
  EXPECT_EQ(desktop().pasteboard->pasteboardItems(), previous);

  field->setSelection({0, 3});
  desktop().eventSystem->failEventSourceCreation(true);
  const auto postedBefore = desktop().eventSystem->postedEvents().size();
  EXPECT_FALSE(capture().text) << "no event source";
  EXPECT_EQ(desktop().eventSystem->postedEvents().size(), postedBefore);
}

TEST_F(TextHandlingServiceTest, TypesOneKeyPressPerUTF16Unit) {
  field->setText("x");
  EXPECT_EQ(service->typeText("a\xF0\x9F\x98\x80"), 3u);
  const auto posted = desktop().eventSystem->postedEvents();
  ASSERT_EQ(posted.size(), 6u);
  EXPECT_EQ(posted[2].characters, u"\xD83D");
  EXPECT_EQ(posted[2].type, platform::EventType::keyDown);
  EXPECT_EQ(posted[4].characters, u"\xDE00");
  EXPECT_EQ(field->text(), "xa\xF0\x9F\x98\x80");

  EXPECT_EQ(service->typeText(""), 0u);
  desktop().eventSystem->failEventSourceCreation(true);
  EXPECT_EQ(service->typeText("b"), 0u);
  EXPECT_EQ(desktop().eventSystem->postedEvents().size(), 6u);
}

TEST_F(TextHandlingServiceTest, CopiesMarkdownAsTextAndHTML) {
  service->copyToPasteboard("a **bold** word\nnext");
  const auto items = desktop().pasteboard->pasteboardItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].at(Pasteboard::plainTextType), "a **bold** word\nnext");
  const auto& bytes = items[0].at(Pasteboard::htmlType);
  ASSERT_EQ(bytes.size() % 2, 0u);
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), bytes.size());
  ASSERT_EQ(units.front(), u'\uFEFF');
  const auto html = platform::unicode::toUTF8(std::u16string_view(units).substr(1));
  EXPECT_NE(html.find("<strong>bold</strong>"), std::string::npos) << html;
  EXPECT_NE(html.find("<br />"), std::string::npos) << html;
}

class TranslationRunTest : public testsupport::DesktopFixture {
 protected:
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
};

// Each case hands the run its events in order; "end" stands for the end of the stream.
TEST_F(TranslationRunTest, TheChunksReplaceTheLineUnlessAnErrorEndsTheStreamAfterTyping) {
  const std::string original = "above\nHello world\nbelow";
  const struct {
    const char* what;
    std::vector<StreamEvent> events;
    std::string text;
    bool restored;
  } cases[] = {
      {"chunks typed over the line",
       {{"workflow_started", "started"},
        {"message", "Bonjour "},
        {"message", "\xF0\x9F\x8C\x8D"},
        {"workflow_finished", "finished"},
        {"end", ""}},
       "above\nBonjour \xF0\x9F\x8C\x8D\nbelow",
       false},
      {"an error at the end puts the line back",
       {{"message", "Bonj\xC3\xA9"}, {"error", "connection reset"}, {"end", ""}},
       original,
       true},
      {"an error followed by more chunks is no ending",
       {{"message", "Un "}, {"error", "hiccup"}, {"message", "deux"}, {"end", ""}},
       "above\nUn deux\nbelow",
       false},
      {"a late error after the call returned puts the line back, once",
       {{"message", "Bonjour"}, {"end", ""}, {"error", "[quellorin-error] timed out"}, {"error", "again"}},
       original,
       true},
      {"an error before any typing leaves everything", {{"error", "refused"}, {"end", ""}}, original, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    field->setText(original);
    field->setSelection({6, 11});
    const auto postedBefore = desktop().eventSystem->postedEvents().size();
    auto translation =
        std::make_shared<TranslationRun>(textHandling, CaretLine{"Hello world", {6, 11}, field});
    for (const auto& event : c.events) {
      if (event.event == "end") {
        translation->streamEnded();
      } else {
        translation->handle(event);
      }
    }
    EXPECT_EQ(field->text(), c.text);
    EXPECT_EQ(translation->restoredLine(), c.restored);
    if (c.text == original && !c.restored) {
      EXPECT_EQ(desktop().eventSystem->postedEvents().size(), postedBefore);
    }
  }
}

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

// Growing keeps the top edge until the bottom reaches the floor: 100 above the bottom of the
// screen holding the window, of the main screen when none holds it whole, or 100 with no screen.
TEST_F(WindowServiceTest, GrowingKeepsTheTopEdgeUntilTheFloorThenGrowsUpwards) {
  const std::vector<platform::Rect> oneScreen = {{0, 0, 1440, 900}};
  const std::vector<platform::Rect> twoScreens = {{0, 0, 1440, 900}, {1440, -300, 1920, 1080}};
  const struct {
    const char* what;
    std::vector<platform::Rect> screens;
    platform::Point selection;
    std::vector<double> heights;
    double y;  // of the window afterwards
  } cases[] = {
      {"above the floor", oneScreen, {500, 700}, {230}, 466},
      {"down to the floor", oneScreen, {500, 150 + 134}, {210}, 100},
      {"at the floor the bottom stays put", oneScreen, {500, 150 + 134}, {210, 160}, 100},
      {"across two screens", twoScreens, {1200, 400}, {600}, 100},
      {"on the second screen", twoScreens, {1600, -50}, {200}, -200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    desktop().screens->setScreens(c.screens);
    windows->showWindow(std::nullopt, true, c.selection.x, c.selection.y);
    for (const double height : c.heights) windows->resizeWindow(600, height);
    EXPECT_EQ(windows->mainWindow()->frame(), (Rect{c.selection.x, c.y, 600, c.heights.back()}));
  }
  desktop().screens->setScreens({});
  windows->resizeWindow(600, 700);
  EXPECT_EQ(windows->mainWindow()->frame().y, 100) << "with no screen at all the floor is 100";
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

using platform::AuthorizationStatus;

class NotificationServiceTest : public testsupport::DesktopFixture {
 protected:
  platform::SimulatedUserNotificationCenter& center() { return *desktop().userNotificationCenter; }
  platform::RecordingAlertPresenter& alerts() {
    return dynamic_cast<platform::RecordingAlertPresenter&>(*env().alertPresenter);
  }
  void postEditorRequest(std::map<std::string, std::string> userInfo) {
    env().notificationCenter->post(NotificationService::sendEditorNotification, std::nullopt,
                                   std::move(userInfo));
    settle(0);
  }

  platform::LogCapture log;
  std::shared_ptr<NotificationService> service = std::make_shared<NotificationService>();
};

TEST_F(NotificationServiceTest, DeniedAtLaunchShowsTheAlertAndOpensTheSettingsOnTheFirstButton) {
  center().setAuthorizationStatus(AuthorizationStatus::denied);
  alerts().scriptAnswer(0);
  service->checkAuthorizationAtLaunch();
  settle(0);
  const auto shown = alerts().shownAlerts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].style, platform::AlertStyle::warning);
  EXPECT_EQ(shown[0].messageText, platform::localizedString("notificationPermissionDenied"));
  EXPECT_EQ(shown[0].informativeText, platform::localizedString("pleaseEbableNotification"));
  EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{platform::localizedString("openSettings"),
                                                        platform::localizedString("cancel")}));
  EXPECT_EQ(desktop().workspace->openedURLs(),
            std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.notifications"});
  EXPECT_TRUE(log.contains("打开了系统设置"));
  EXPECT_FALSE(service->isListening());
}

TEST_F(NotificationServiceTest, AYesToTheRequestLetsOtherCodeSendNotifications) {
  center().scriptAuthorizationAnswer(true);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_EQ(center().authorizationRequests(), std::vector<unsigned>{7});
  EXPECT_TRUE(log.contains("用户同意授权通知"));
  postEditorRequest({{"title", "Copied"}, {"body", "The answer is on the pasteboard"}});
  const auto delivered = center().delivered();
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].content,
            (platform::NotificationContent{"Copied", "The answer is on the pasteboard", true}));
  EXPECT_TRUE(log.contains("系统通知已发送"));

  postEditorRequest({{"title", "no body"}});
  EXPECT_EQ(center().requests().size(), 1u) << "a request without a body is ignored";
}

TEST_F(NotificationServiceTest, ANoToTheRequestRegistersNothing) {
  center().scriptAuthorizationAnswer(false);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_TRUE(log.contains("用户拒绝授权通知"));
  EXPECT_FALSE(service->isListening());
  postEditorRequest({{"title", "t"}, {"body", "b"}});
  EXPECT_TRUE(center().requests().empty());
  EXPECT_TRUE(alerts().shownAlerts().empty());
}

TEST_F(NotificationServiceTest, AfterTheSecondButtonAPermissionGrantedLaterStartsTheListener) {
  center().setAuthorizationStatus(AuthorizationStatus::denied);
  alerts().scriptAnswer(1);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_EQ(alerts().shownAlerts().size(), 1u);
  EXPECT_TRUE(desktop().workspace->openedURLs().empty()) << "the second button opens nothing";
  EXPECT_FALSE(service->isListening());
  center().setAuthorizationStatus(AuthorizationStatus::authorized);
  settle(0);
  EXPECT_TRUE(service->isListening());
  postEditorRequest({{"title", "t"}, {"body", "b"}});
  EXPECT_EQ(center().delivered().size(), 1u);
  center().setAuthorizationStatus(AuthorizationStatus::provisional);
  settle(0);
  postEditorRequest({{"title", "t"}, {"body", "b"}});
  EXPECT_EQ(center().delivered().size(), 2u) << "the listener is registered once";
}

TEST_F(NotificationServiceTest, EachNotificationHasItsOwnIdentifierAndFailuresAreLogged) {
  center().setAuthorizationStatus(AuthorizationStatus::authorized);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_TRUE(log.contains("通知权限已授权"));
  service->sendNotification("same", "same");
  service->sendNotification("same", "same");
  settle(0);
  const auto delivered = center().delivered();
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_NE(delivered[0].identifier, delivered[1].identifier);

  center().failDeliveries("the centre is unavailable");
  service->sendNotification("t", "b");
  settle(0);
  EXPECT_TRUE(log.contains("通知发送失败: the centre is unavailable"));
}

class AccessibilityServiceTest : public testsupport::DesktopFixture {
 protected:
  AccessibilityServiceTest() { desktop().accessibility->setProcessTrusted(false); }

  std::vector<std::string> notificationTitles() {
    std::vector<std::string> titles;
    for (const auto& request : desktop().userNotificationCenter->requests()) {
      titles.push_back(request.content.title);
    }
    return titles;
  }

  platform::LogCapture log;
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>();
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<EventMonitorService> monitor = std::make_shared<EventMonitorService>(
      textHandling, std::make_shared<WindowService>(textHandling), aiService);
  std::shared_ptr<NotificationService> notifications = std::make_shared<NotificationService>();
  std::shared_ptr<AccessibilityService> watch =
      std::make_shared<AccessibilityService>(monitor, notifications);
  const std::string required = platform::localizedString("accessibilityPermissionsRequired");
  const std::string granted = platform::localizedString("accessibilityPermissions");
};

TEST_F(AccessibilityServiceTest, UntrustedOpensThePaneOnceAndRemindsASecondLater) {
  const auto timer = watch->startWatching();
  settle(0.99);
  EXPECT_TRUE(desktop().workspace->openedURLs().empty());
  settle(0.01);
  EXPECT_EQ(desktop().workspace->openedURLs(),
            std::vector<std::string>{AccessibilityService::privacyPaneURL});
  EXPECT_TRUE(env().userDefaults->contains("isFeatureEnabled"));
  EXPECT_FALSE(env().userDefaults->bool_("isFeatureEnabled"));
  EXPECT_TRUE(notificationTitles().empty());
  settle(1);
  EXPECT_EQ(notificationTitles(), std::vector<std::string>{required});

  env().userDefaults->remove("isFeatureEnabled");
  settle(5);
  EXPECT_EQ(desktop().workspace->openedURLs().size(), 1u);
  EXPECT_FALSE(env().userDefaults->contains("isFeatureEnabled"))
      << "written only on the first untrusted tick";
  EXPECT_TRUE(timer->isValid());
  EXPECT_FALSE(monitor->hasGlobalMonitor());
}

TEST_F(AccessibilityServiceTest, TrustGrantedLaterInstallsTheMonitorAndStopsWatching) {
  const auto timer = watch->startWatching();
  settle(2.5);
  desktop().accessibility->setProcessTrusted(true);
  settle(0.5);
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(notificationTitles(), (std::vector<std::string>{required, granted}));
  EXPECT_TRUE(log.contains("设置全局事件监视器。"));
}

TEST_F(AccessibilityServiceTest, TrustedAtLaunchInstallsAtTheFirstTickWithoutThePane) {
  desktop().accessibility->setProcessTrusted(true);
  const auto timer = watch->startWatching();
  settle(1);
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_EQ(desktop().eventSystem->monitorCount(), 1u);
  EXPECT_TRUE(desktop().workspace->openedURLs().empty());
  EXPECT_EQ(notificationTitles(), std::vector<std::string>{granted});
  settle(3);
  EXPECT_EQ(desktop().eventSystem->monitorCount(), 1u);
}

TEST_F(AccessibilityServiceTest, ARefusedMonitorKeepsTheWatchGoing) {
  desktop().accessibility->setProcessTrusted(true);
  desktop().eventSystem->refuseMonitors(true);
  const auto timer = watch->startWatching();
  settle(2);
  EXPECT_TRUE(timer->isValid());
  EXPECT_FALSE(monitor->hasGlobalMonitor());
  EXPECT_TRUE(notificationTitles().empty());
  EXPECT_TRUE(log.contains("全局事件监视器安装失败"));

  desktop().eventSystem->refuseMonitors(false);
  settle(1);
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(notificationTitles(), std::vector<std::string>{granted});
}

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
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  monitor->removeGlobalMonitor();
  monitor->removeGlobalMonitor();
  EXPECT_FALSE(monitor->hasGlobalMonitor());
  EXPECT_EQ(desktop().eventSystem->monitorCount(), 0u);
  EXPECT_EQ(desktop().eventSystem->invalidRemovals(), 0u) << "removed twice, removed once";
  EXPECT_EQ(desktop().eventSystem->reservedKeyCombination(), std::nullopt);
  space(1);
  EXPECT_EQ(monitor->spacePressCount(), 0);
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

TEST_F(EventMonitorServiceTest, SpacesExactlyOneSecondApartArmTheTriggerAndAnyLongerGapRestarts) {
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
  space(20);
  space(21);
  space(22.01);
  EXPECT_EQ(monitor->spacePressCount(), 1) << "a gap above one second restarts the count";
  settle(1);
  EXPECT_EQ(roadsStarted(), 1u);
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

TEST_F(EventMonitorServiceTest, APlainSpaceShortcutMeansTheTriggerNeverFires) {
  env().userDefaults->setString("GlobalShortcut", "␣");
  for (double t : {1.0, 1.1, 1.2}) space(t);
  EXPECT_EQ(monitor->spacePressCount(), 0);
  settle(0.5);
  EXPECT_EQ(roadsStarted(), 0u);
  EXPECT_TRUE(windows->mainWindow());
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
