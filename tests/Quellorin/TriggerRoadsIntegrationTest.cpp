// Both trigger roads end to end on the simulated desktop: keys and mouse through the global
// event stream, a simulated editor in front, and the stand-in service over real sockets.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <nlohmann/json.hpp>

#include "DesktopFixture.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/CaretLine.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Common/ShortcutDisplayString.h"
#include "tests/support/StandInProcess.h"

namespace quellorin {
namespace {

using nlohmann::json;
using platform::Event;
using platform::EventType;

std::string messageLine(const std::string& answer) {
  return "data: " + json{{"event", "message"}, {"answer", answer}}.dump();
}

std::string errorLine(const std::string& message) {
  return "data: " + json{{"event", "error"}, {"message", message}}.dump();
}

struct CapturedView final : platform::WindowContent {
  CapturedView(std::string t, bool w) : text(std::move(t)), autoWork(w) {}
  std::string text;
  bool autoWork;
};

class TriggerRoadsIntegration : public testsupport::DesktopFixture {
 protected:
  TriggerRoadsIntegration() {
    if (const char* old = std::getenv("QUELLORIN_SERVICE_URL")) previousURL = old;
    setenv("QUELLORIN_SERVICE_URL", service.baseURL().c_str(), 1);
    env().userDefaults->setString("SpecialKeyFeatureStatus", "French");
    windows->setRootViewFactory([](const std::string& text, bool autoWork, platform::Size) {
      return std::make_shared<CapturedView>(text, autoWork);
    });
    EXPECT_TRUE(monitor->installGlobalMonitor());
  }

  ~TriggerRoadsIntegration() override {
    virtualEnvironment.runUntilIdle();
    if (previousURL)
      setenv("QUELLORIN_SERVICE_URL", previousURL->c_str(), 1);
    else
      unsetenv("QUELLORIN_SERVICE_URL");
  }

  void deliver(std::uint16_t code, double timestamp, std::uint64_t flags, std::u16string characters) {
    desktop().eventSystem->deliverUserEvent(
        Event{EventType::keyDown, code, flags, timestamp, false, std::move(characters)});
    settle(0);
  }

  // The user types three quick spaces at the caret, then the trigger's 0.2 s pass and the
  // road runs to its end.
  void tripleSpace() {
    for (double t : {0.0, 0.4, 0.8}) deliver(platform::keycode::space, pressTime + t, 0, u" ");
    pressTime += 10;
    settle(0.2);
  }
  double pressTime = 20;

  std::string typedText() {
    std::u16string units;
    for (const auto& event : desktop().eventSystem->postedEvents()) {
      if (event.type == EventType::keyDown && event.modifierFlags == 0) units += event.characters;
    }
    return platform::unicode::toUTF8(units);
  }

  std::vector<json> translationRequests() {
    std::vector<json> picked;
    for (const auto& request : service.requests()) {
      if (request["path"] == "/api/processText") picked.push_back(request);
    }
    return picked;
  }

  testsupport::StandInProcess service;
  std::optional<std::string> previousURL;
  platform::LogCapture log;
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>(std::chrono::milliseconds(300));
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<WindowService> windows = std::make_shared<WindowService>(textHandling);
  std::shared_ptr<EventMonitorService> monitor =
      std::make_shared<EventMonitorService>(textHandling, windows, aiService);
};

TEST_F(TriggerRoadsIntegration,
       TheShortcutEvenWithCapsLockOpensTheWindowBelowTheSelectionWithTheCapturedText) {
  field->setText("The quick brown fox");
  field->setSelection({4, 5});
  field->setBoundsForRanges(platform::Rect{300, 200, 45, 18});
  desktop().pasteboard->writeObjects(
      {{{platform::Pasteboard::pngType, "\x89PNG image"}},
       {{platform::Pasteboard::plainTextType, "kept"}, {platform::Pasteboard::htmlType, "<b>kept</b>"}}});
  const auto pasteboardBefore = desktop().pasteboard->pasteboardItems();

  // Caps lock on does not change the combination.
  deliver(platform::keycode::space, 5, modifier::command | modifier::shift | modifier::capsLock, u" ");
  EXPECT_EQ(monitor->spacePressCount(), 0) << "the shortcut's space is no trigger press";
  settle(0.4);

  const auto window = windows->mainWindow();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isKeyWindow());
  // The selection's bottom-left corner is at (300, 900 - 200 - 18); the window's top edge 4 below.
  EXPECT_EQ(window->frame(), (platform::Rect{300, 682 - 4 - 130, 600, 130}));
  const auto view = std::dynamic_pointer_cast<CapturedView>(window->contentView());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->text, "quick");
  EXPECT_TRUE(view->autoWork);
  EXPECT_EQ(desktop().pasteboard->pasteboardItems(), pasteboardBefore);
  EXPECT_EQ(field->text(), "The quick brown fox") << "the shortcut's space is not typed into the editor here";
  EXPECT_TRUE(log.contains("选中的文本: quick"));

  windows->restoreFocusToOriginalApp();
  EXPECT_EQ(desktop().workspace->frontmostApplication()->processIdentifier, editorPid);
}

TEST_F(TriggerRoadsIntegration, ThreeSpacesReplaceTheCaretsLineWithTheStreamedTranslation) {
  service.queueFault({{"lines",
                       {messageLine("Bonjour "), messageLine("le "), messageLine("monde"),
                        "data: " + json{{"event", "workflow_finished"}, {"message", "done"}}.dump()}}});
  field->setText("Keep this line\nHello world");
  tripleSpace();

  EXPECT_EQ(field->text(), "Keep this line\nBonjour le monde");
  EXPECT_EQ(typedText(), "Bonjour le monde") << "the chunks, typed in stream order";
  const auto sent = translationRequests();
  ASSERT_EQ(sent.size(), 1u);
  const json& body = sent[0]["body"];
  EXPECT_EQ(body["mode"], "fast");
  EXPECT_EQ(body["spaceTrigger"], json(true));
  EXPECT_TRUE(body["sessionId"].get<std::string>().starts_with("spaceTrigger__"));
  EXPECT_EQ(body["messages"], json::parse(R"([{"role":"user",
      "content":"<content>Hello world   </content><prompt>translate to French</prompt>"}])"));
}

TEST_F(TriggerRoadsIntegration, TheSessionIdentifierWritesTheTimeAsAPlainDecimalNumber) {
  const struct {
    double seconds;
    const char* sessionId;
  } cases[] = {
      {1'700'000'000.0, "spaceTrigger__1700000000.0"},  // few significant digits
      {100'000'000.0, "spaceTrigger__100000000.0"},
      {1'767'225'600.125, "spaceTrigger__1767225600.125"},
      {1.5, "spaceTrigger__1.5"},
      {0.0, "spaceTrigger__0.0"},
  };
  field->setText("Hello");
  for (const auto& c : cases) {
    virtualEnvironment.clock().setWallTime(c.seconds);
    monitor->fastTranslate("French", CaretLine{"Hello", {0, 5}, field});
  }
  const auto sent = translationRequests();
  ASSERT_EQ(sent.size(), std::size(cases));
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i]["body"]["sessionId"], cases[i].sessionId) << "at " << cases[i].seconds;
  }
}

// Each case streams its answer over "one two" (or "Hello world" for the faults) with three
// spaces typed after it.
TEST_F(TriggerRoadsIntegration, EachStreamEndsWithTheTranslationOrTheOriginalLine) {
  const struct {
    const char* what;
    json fault;
    std::string before;
    std::string after;
  } cases[] = {
      // Typing goes on the reading thread, so one pool thread is enough.
      {"one pool thread",
       {{"lines", {messageLine("Salut "), messageLine("tout "), messageLine("le monde")}}},
       "Hi all",
       "Salut tout le monde"},
      {"an error event in the middle types nothing",
       {{"lines", {messageLine("Un "), errorLine("hiccup"), messageLine("deux")}}},
       "one two",
       "Un deux"},
      {"a stream failing part-way",
       {{"disconnectAfterEvents", 3}},
       "first\nHello world",
       "first\nHello world   "},
      {"a stall after typing began",
       {{"stallAfterEvents", 3}, {"stallMs", 2000}},
       "Hello world",
       "Hello world   "},
      {"a line of spaces sends nothing", nullptr, "text above\n", "text above\n   "},
  };
  env().taskPool = std::make_shared<platform::TaskPool>(1);
  std::size_t sent = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.fault.is_null()) {
      service.queueFault(c.fault);
      ++sent;
    }
    field->setText(c.before);
    tripleSpace();
    settle(0);
    EXPECT_EQ(field->text(), c.after);
    EXPECT_EQ(translationRequests().size(), sent);
  }
  EXPECT_TRUE(log.contains("翻译中断，已恢复原文"));
  EXPECT_NE(typedText().find("You said"), std::string::npos) << "part of an answer had been typed";
}

}  // namespace
}  // namespace quellorin
