#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"
#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"
#include "Platform/Desktop/Simulated/SimulatedEventSystem.h"
#include "Platform/Desktop/Simulated/SimulatedPasteboard.h"
#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Desktop/WebView.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowServer.h"

namespace platform {
namespace {

// An editor in front of the simulated desktop, its text area focused, the process trusted.
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

TEST_F(AccessibilityFixture, TheSystemWideElementAnswersTheFrontApplicationsFocusToATrustedProcess) {
  const auto result = focused();
  ASSERT_EQ(result.status, AXError::success);
  EXPECT_EQ(std::get<std::shared_ptr<AccessibilityElement>>(*result.value), field);

  workspace->launch({200, "com.example.other", "Other"});
  EXPECT_EQ(focused().status, AXError::noValue);

  accessibility->setProcessTrusted(false);
  EXPECT_EQ(focused().status, AXError::apiDisabled);
}

TEST_F(AccessibilityFixture, ManualAccessibilityUnlocksTheFocusedElementWhileTheDesktopLives) {
  accessibility->requireManualAccessibility(100);
  EXPECT_EQ(focused().status, AXError::cannotComplete);
  auto application = accessibility->applicationElement(100);
  EXPECT_EQ(std::get<std::string>(*application->copyAttributeValue("AXTitle").value), "Editor");
  ASSERT_EQ(application->setAttributeValue("AXManualAccessibility", true), AXError::success);
  EXPECT_EQ(focused().status, AXError::success);

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

TEST(AccessibilityElement, CountsTextPositionsInUTF16UnitsAndRefusesARangeOutsideTheText) {
  SimulatedAccessibilityElement field(100, "AXTextArea");
  field.setText(
      "a\xF0\x9F\x98\x80"
      "b");  // a, U+1F600 (two units), b
  const auto range = field.copyAttributeValue("AXSelectedTextRange");
  ASSERT_EQ(range.status, AXError::success);
  EXPECT_EQ(std::get<AXRange>(*range.value), (AXRange{4, 0}));

  ASSERT_EQ(field.setAttributeValue("AXSelectedTextRange", AXRange{1, 2}), AXError::success);
  EXPECT_EQ(std::get<std::string>(*field.copyAttributeValue("AXSelectedText").value), "\xF0\x9F\x98\x80");

  field.setText("abc");
  EXPECT_EQ(field.setAttributeValue("AXSelectedTextRange", AXRange{2, 2}), AXError::illegalArgument);
  EXPECT_EQ(field.setAttributeValue("AXSelectedTextRange", AXRange{-1, 1}), AXError::illegalArgument);
  EXPECT_EQ(field.setAttributeValue("AXSelectedTextRange", std::string("x")), AXError::illegalArgument);
  EXPECT_EQ(field.selection(), (AXRange{3, 0}));
}

TEST(AccessibilityElement, InsertingReplacesTheSelectionAndJoinsSurrogateHalves) {
  SimulatedAccessibilityElement field(100, "AXTextArea");
  field.setText("one two");
  field.setSelection({4, 3});
  field.insert(u"\xD83D");
  field.insert(u"\xDE00");
  EXPECT_EQ(field.text(), "one \xF0\x9F\x98\x80");
  EXPECT_EQ(field.selection(), (AXRange{6, 0}));
}

TEST(AccessibilityElement, AnswersStatusCodesForMissingFailingAndUnsettableAttributes) {
  SimulatedAccessibilityElement group(100, "AXGroup");
  EXPECT_EQ(group.copyAttributeValue("AXValue").status, AXError::noValue);
  EXPECT_EQ(group.copyAttributeValue("AXParent").status, AXError::attributeUnsupported);
  EXPECT_EQ(group.setAttributeValue("AXTitle", std::string("x")), AXError::attributeUnsupported);
  EXPECT_EQ(group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).status,
            AXError::parameterizedAttributeUnsupported);

  group.setBoundsForRanges(Rect{1, 2, 3, 4});
  EXPECT_EQ(std::get<Rect>(*group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).value),
            (Rect{1, 2, 3, 4}));
  group.injectFailure("AXBoundsForRange", AXError::cannotComplete);
  EXPECT_EQ(group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).status,
            AXError::cannotComplete);
  group.clearFailure("AXBoundsForRange");
  EXPECT_EQ(group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).status, AXError::success);
  EXPECT_EQ(std::get<std::string>(*group.copyAttributeValue("AXRole").value), "AXGroup");

  SimulatedAccessibilityElement application(100, "AXApplication");
  application.makeSettable("AXManualAccessibility");
  EXPECT_EQ(application.setAttributeValue("AXManualAccessibility", true), AXError::success);
  EXPECT_TRUE(std::get<bool>(*application.copyAttributeValue("AXManualAccessibility").value));
  EXPECT_EQ(axErrorName(AXError::cannotComplete), "cannotComplete");
}

// The same desktop with the global event stream and a pasteboard.
struct EventSystemFixture : AccessibilityFixture {
  std::shared_ptr<SimulatedPasteboard> pasteboard = std::make_shared<SimulatedPasteboard>();
  SimulatedEventSystem events{accessibility, pasteboard};

  void SetUp() override {
    AccessibilityFixture::SetUp();
    field->setText("hello world");
  }

  static Event key(std::uint16_t code, std::u16string characters, std::uint64_t flags = 0) {
    return Event{EventType::keyDown, code, flags, 0, false, std::move(characters)};
  }
};

TEST_F(EventSystemFixture, MonitorsSeeOnlyTheTypesOfTheirMaskAndRefusedOnesGiveNoToken) {
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

TEST_F(EventSystemFixture, AReservedCombinationReachesTheMonitorsButNotTheApplicationInFront) {
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

TEST(Window, OnlyTitledWindowsBecomeKeyByDefault) {
  VirtualEnvironment environment;
  auto titled = std::make_shared<Window>(Rect{0, 0, 10, 10}, windowstyle::titled, 2, false);
  auto borderless = std::make_shared<Window>(Rect{0, 0, 10, 10}, windowstyle::fullSizeContentView, 2, false);
  titled->makeKeyAndOrderFront();
  borderless->makeKeyAndOrderFront();
  EXPECT_TRUE(titled->isKeyWindow());
  EXPECT_FALSE(borderless->isKeyWindow());
  EXPECT_EQ(environment.environment().windowServer->windows().front(), borderless);

  titled->close();
  EXPECT_TRUE(titled->isClosed());
  EXPECT_FALSE(titled->isVisible());
  EXPECT_FALSE(environment.environment().windowServer->keyWindow());
  borderless->orderOut();
  EXPECT_FALSE(borderless->isClosed());
  EXPECT_TRUE(environment.environment().windowServer->windows().empty());
}

TEST(Window, CountsRedisplays) {
  VirtualEnvironment environment;
  Window window(Rect{1, 2, 3, 4}, 0, 2, false);
  window.setFrame({5, 6, 7, 8}, false);
  window.setFrame({5, 6, 7, 9}, true);
  EXPECT_EQ(window.frame(), (Rect{5, 6, 7, 9}));
  EXPECT_EQ(window.displayCount(), 1);
}

// A delegate that answers link clicks with a fixed policy and counts finished loads.
class ScriptedDelegate : public NavigationDelegate {
 public:
  explicit ScriptedDelegate(NavigationActionPolicy linkPolicy) : linkPolicy_(linkPolicy) {}
  void decidePolicyForNavigationAction(WebView&, const NavigationAction& action,
                                       const std::function<void(NavigationActionPolicy)>& decide) override {
    decide(action.navigationType == NavigationType::linkActivated ? linkPolicy_
                                                                  : NavigationActionPolicy::allow);
    decide(NavigationActionPolicy::cancel);  // a second answer must not count
  }
  void decidePolicyForNavigationResponse(
      WebView&, const NavigationResponse& response,
      const std::function<void(NavigationResponsePolicy)>& decide) override {
    responses.push_back(response.url);
    decide(NavigationResponsePolicy::allow);
  }
  void didFinishNavigation(WebView&) override { ++finished; }

  std::vector<std::string> responses;
  int finished = 0;

 private:
  NavigationActionPolicy linkPolicy_;
};

TEST(WebViewTest, FileLoadsAreRecordedAndFinishThroughTheDelegate) {
  WebView view({0, 0, 400, 300}, nullptr);
  ScriptedDelegate delegate(NavigationActionPolicy::allow);
  view.setNavigationDelegate(&delegate);
  view.loadFileURL("/tmp/page/index.html", "/tmp/page");
  ASSERT_EQ(view.host().fileLoads().size(), 1U);
  EXPECT_EQ(view.host().fileLoads()[0].readAccess, "/tmp/page");
  EXPECT_TRUE(view.host().isLoading());
  EXPECT_EQ(delegate.finished, 0);
  EXPECT_TRUE(view.host().finishLoading());
  EXPECT_EQ(delegate.finished, 1);
  EXPECT_EQ(delegate.responses, std::vector<std::string>{"file:///tmp/page/index.html"});
  EXPECT_EQ(view.host().currentURL(), "file:///tmp/page/index.html");
  EXPECT_FALSE(view.host().finishLoading());
}

TEST(WebViewTest, CancelledLinksLeaveThePageInPlaceAndWithoutADelegateAllIsAllowed) {
  WebView view({}, nullptr);
  ScriptedDelegate delegate(NavigationActionPolicy::cancel);
  view.setNavigationDelegate(&delegate);
  view.loadFileURL("/tmp/a.html", "/tmp");
  view.host().finishLoading();
  view.host().clickLink("https://example.org/");
  const auto& navigations = view.host().navigations();
  ASSERT_EQ(navigations.size(), 2U);
  EXPECT_EQ(navigations[1].action.navigationType, NavigationType::linkActivated);
  EXPECT_EQ(navigations[1].policy, NavigationActionPolicy::cancel);
  EXPECT_FALSE(view.host().isLoading());
  EXPECT_EQ(view.host().currentURL(), "file:///tmp/a.html");

  // Without a delegate everything is allowed.
  view.setNavigationDelegate(nullptr);
  view.host().clickLink("https://example.org/");
  EXPECT_EQ(navigations.at(2).policy, NavigationActionPolicy::allow);
  EXPECT_TRUE(view.host().finishLoading());
  EXPECT_EQ(view.host().currentURL(), "https://example.org/");
  EXPECT_EQ(view.host().finishedLoads(), 2U);
}

TEST(WebViewTest, ScriptsAreRecordedAndAnsweredAsScripted) {
  WebView view({}, nullptr);
  view.host().answerScripts([](const std::string& script) {
    return script == "document.body.scrollHeight" ? WebViewHost::ScriptAnswer{"512", std::nullopt}
                                                  : WebViewHost::ScriptAnswer{std::nullopt, "ReferenceError"};
  });
  std::optional<std::string> height;
  view.evaluateJavaScript("document.body.scrollHeight", [&](auto result, auto) { height = result; });
  std::optional<std::string> error;
  view.evaluateJavaScript("missing()", [&](auto, auto failure) { error = failure; });
  EXPECT_EQ(height, "512");
  EXPECT_EQ(error, "ReferenceError");
  EXPECT_EQ(view.host().evaluatedScripts().size(), 2U);
}

// Keeps every decision handler to answer later, as a delegate that asks the user would.
class DeferringDelegate : public NavigationDelegate {
 public:
  void decidePolicyForNavigationAction(WebView&, const NavigationAction&,
                                       const std::function<void(NavigationActionPolicy)>& decide) override {
    actions.push_back(decide);
  }
  void decidePolicyForNavigationResponse(
      WebView&, const NavigationResponse&,
      const std::function<void(NavigationResponsePolicy)>& decide) override {
    responses.push_back(decide);
  }
  void didFinishNavigation(WebView&) override { ++finished; }

  std::vector<std::function<void(NavigationActionPolicy)>> actions;
  std::vector<std::function<void(NavigationResponsePolicy)>> responses;
  int finished = 0;
};

TEST(WebViewTest, LateDecisionsTakeEffectWhenTheyComeAndOnlyOnce) {
  WebView view({}, nullptr);
  DeferringDelegate delegate;
  view.setNavigationDelegate(&delegate);
  view.host().clickLink("https://example.org/");
  EXPECT_FALSE(view.host().isLoading());
  ASSERT_EQ(delegate.actions.size(), 1U);
  delegate.actions[0](NavigationActionPolicy::allow);
  delegate.actions[0](NavigationActionPolicy::cancel);
  EXPECT_EQ(view.host().navigations()[0].policy, NavigationActionPolicy::allow);

  EXPECT_FALSE(view.host().finishLoading()) << "not finished until the response is decided";
  ASSERT_EQ(delegate.responses.size(), 1U);
  delegate.responses[0](NavigationResponsePolicy::allow);
  delegate.responses[0](NavigationResponsePolicy::allow);
  EXPECT_EQ(view.host().finishedLoads(), 1U);
  EXPECT_EQ(delegate.finished, 1);
  EXPECT_EQ(view.host().currentURL(), "https://example.org/");
}

TEST(WebViewTest, DecisionsThatComeAfterTheViewIsGoneDoNothing) {
  DeferringDelegate delegate;
  {
    WebView view({}, nullptr);
    view.setNavigationDelegate(&delegate);
    view.host().clickLink("https://example.org/a");  // stays undecided
    view.host().clickLink("https://example.org/b");
    delegate.actions[1](NavigationActionPolicy::allow);
    view.host().finishLoading();  // its response stays undecided
  }
  delegate.actions[0](NavigationActionPolicy::allow);
  delegate.responses[0](NavigationResponsePolicy::allow);
  EXPECT_EQ(delegate.finished, 0);
}

TEST(WebViewTest, SchemeHandlersAreFoundWithoutRegardToCase) {
  auto configuration = std::make_shared<WebViewConfiguration>();
  configuration->setURLSchemeHandler(std::make_shared<URLSchemeHandler>(), "App");
  WebView view({}, configuration);
  EXPECT_NE(view.configuration().urlSchemeHandler("app"), nullptr);
  EXPECT_EQ(view.configuration().urlSchemeHandler("https"), nullptr);
}

}  // namespace
}  // namespace platform
