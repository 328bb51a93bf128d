// Both trigger roads on a real X11 desktop (run under Xvfb with a private session bus and the
// accessibility bus; see scripts/run-desktop-tests): the Linux desktop services, a GTK editor
// in another process, keys pressed as a user presses them (XTest), and the stand-in service.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Accessibility.h"
#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Linux/LinuxPasteboard.h"
#include "Platform/Desktop/Linux/LinuxScreens.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TemporaryFolder.h"

// Last: it brings Xlib, whose macros would clash with the declarations above.
#include "tests/support/LinuxDesktopFixture.h"

namespace quellorin {
namespace {

using nlohmann::json;

std::string messageLine(const std::string& answer) {
  return "data: " + json{{"event", "message"}, {"answer", answer}}.dump();
}

struct CapturedView final : platform::WindowContent {
  explicit CapturedView(std::string t) : text(std::move(t)) {}
  std::string text;
};

using testsupport::EditorProcess;
using testsupport::InstalledLinuxDesktop;
using testsupport::Keyboard;

class DesktopRoads : public ::testing::Test {
 protected:
  DesktopRoads() {
    if (const char* old = std::getenv("QUELLORIN_SERVICE_URL")) previousURL_ = old;
    setenv("QUELLORIN_SERVICE_URL", service.baseURL().c_str(), 1);
    environment_->userDefaults->setString("SpecialKeyFeatureStatus", "French");
    windows->setRootViewFactory(
        [](const std::string& text, bool, platform::Size) { return std::make_shared<CapturedView>(text); });
    EXPECT_TRUE(monitor->installGlobalMonitor());
  }

  ~DesktopRoads() override {
    monitor->removeGlobalMonitor();
    environment_->taskPool->waitUntilIdle();
    if (previousURL_)
      setenv("QUELLORIN_SERVICE_URL", previousURL_->c_str(), 1);
    else
      unsetenv("QUELLORIN_SERVICE_URL");
  }

  // Starts the editor and waits until its window has the keyboard focus and, unless the editor
  // keeps out of the accessibility bus, until that bus shows its text as the focused element's:
  // the focus reaches this process by events, on their own time.
  void startEditor(std::vector<std::string> arguments, const std::string& text, bool accessible = true) {
    arguments.insert(arguments.end(), {"--text", text, "--report", report.string()});
    // GTK leaves the accessibility bus alone with NO_AT_BRIDGE set.
    editor = std::make_unique<EditorProcess>(
        std::move(arguments),
        accessible ? std::vector<std::string>{} : std::vector<std::string>{"NO_AT_BRIDGE=1"});
    ASSERT_TRUE(runUntil([&] { return std::filesystem::exists(report); }, kDeadline))
        << "the editor never took the focus";
    if (accessible) {
      ASSERT_TRUE(runUntil([&] { return focusedText() == text; }, kDeadline))
          << "the focused element's text never showed on the accessibility bus";
    }
  }

  // The text of the focused element as the accessibility bus shows it; none without one.
  std::optional<std::string> focusedText() const {
    const auto focused =
        environment_->accessibility->systemWideElement()->copyAttributeValue("AXFocusedUIElement");
    const auto* element = focused.value
                              ? std::get_if<std::shared_ptr<platform::AccessibilityElement>>(&*focused.value)
                              : nullptr;
    if (element == nullptr || !*element) return std::nullopt;
    const auto value = (*element)->copyAttributeValue("AXValue");
    const auto* text = value.value ? std::get_if<std::string>(&*value.value) : nullptr;
    return text ? std::optional<std::string>(*text) : std::nullopt;
  }

  std::string editorText() const {
    std::ifstream in(report, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Generous: a loaded machine is slow, and every wait ends as soon as its condition holds.
  static constexpr double kDeadline = 30;

  // Runs the main queue on this thread until `condition` holds or `limitSeconds` pass; the
  // other process and the desktop move on their own time, so this waits in real time.
  bool runUntil(const std::function<bool()>& condition, double limitSeconds = kDeadline) {
    auto& queue = *environment_->mainQueue;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    while (std::chrono::steady_clock::now() < giveUp) {
      while (queue.runOneDue()) {
      }
      if (condition()) return true;
      queue.waitForDueWork(std::chrono::milliseconds(10));
    }
    return condition();
  }

  std::shared_ptr<CapturedView> capturedView() const {
    if (const auto window = windows->mainWindow()) {
      return std::dynamic_pointer_cast<CapturedView>(window->contentView());
    }
    return nullptr;
  }

  void tripleSpace() {
    for (int i = 0; i < 3; ++i) keyboard.chord({XK_space});
  }

  testsupport::StandInProcess service;
  testsupport::TemporaryFolder folder{"quellorin-desktop-"};
  std::filesystem::path report = folder.path() / "editor.txt";
  std::unique_ptr<EditorProcess> editor;
  Keyboard keyboard;
  InstalledLinuxDesktop installed;
  std::shared_ptr<platform::Environment> environment_ = installed.environment;
  platform::LinuxDesktop& desktop_ = installed.desktop;
  std::optional<std::string> previousURL_;
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>(std::chrono::milliseconds(2000));
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<WindowService> windows = std::make_shared<WindowService>(textHandling);
  std::shared_ptr<EventMonitorService> monitor =
      std::make_shared<EventMonitorService>(textHandling, windows, aiService);
};

TEST_F(DesktopRoads, TheShortcutCapturesTheSelectedWordBelowWhichTheWindowOpensAndKeepsTheClipboard) {
  startEditor({"--select", "6", "5", "--clipboard-text", "copied earlier", "--clipboard-html",
               "<b>copied earlier</b>"},
              "hello brave world");
  const auto clipboardBefore = desktop_.pasteboard->pasteboardItems();
  ASSERT_EQ(clipboardBefore.size(), 1u);
  EXPECT_EQ(clipboardBefore[0].at("text/html"), "<b>copied earlier</b>");

  // The selection's rectangle on screen, as the editor's accessibility tree gives it.
  keyboard.chord({XK_Super_L, XK_Shift_L, XK_space});
  ASSERT_TRUE(runUntil([&] { return capturedView() != nullptr; })) << "the window never opened";

  const auto view = capturedView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->text, "brave");
  EXPECT_EQ(desktop_.pasteboard->pasteboardItems(), clipboardBefore) << "every target, byte for byte";
  EXPECT_EQ(editorText(), "hello brave world");
  // The window's top edge is 4 points below the selection's bottom edge, in the services'
  // coordinates (origin at the bottom left of the primary screen).
  const auto element = textHandling->originalFocusedElement();
  ASSERT_TRUE(element);
  const auto bounds = element->copyParameterizedAttributeValue("AXBoundsForRange", platform::AXRange{6, 5});
  ASSERT_EQ(bounds.status, platform::AXError::success);
  const auto selection = std::get<platform::Rect>(*bounds.value);
  EXPECT_GT(selection.width, 10);
  EXPECT_GT(selection.x, 100) << "inside the editor's window, which is at (100, 120)";
  const double screenHeight = desktop_.screens->screens().front().height;
  const auto window = windows->mainWindow();
  ASSERT_TRUE(window);
  const auto frame = window->frame();
  EXPECT_EQ(frame.x, selection.x);
  EXPECT_EQ(frame.y + frame.height, screenHeight - (selection.y + selection.height) - 4);
}

TEST_F(DesktopRoads, ThreeSpacesReplaceTheLineWithTheStreamedTranslation) {
  service.queueFault({{"lines",
                       {messageLine("你好，"), messageLine("世界 🌍"), messageLine(" ✓ ü"),
                        "data: " + json{{"event", "workflow_finished"}, {"message", "done"}}.dump()}}});
  startEditor({}, "Keep this line\nHello world");
  tripleSpace();
  ASSERT_TRUE(runUntil([&] { return editorText() == "Keep this line\n你好，世界 🌍 ✓ ü"; }))
      << "the editor holds: " << editorText();
}

TEST_F(DesktopRoads, AStreamThatFailsPartWayLeavesTheOriginalLine) {
  service.queueFault({{"disconnectAfterEvents", 3}});
  platform::LogCapture log;
  startEditor({}, "Keep this line\nHello world");
  tripleSpace();
  ASSERT_TRUE(runUntil([&] { return log.contains("翻译中断，已恢复原文"); }));
  ASSERT_TRUE(runUntil([&] { return editorText() == "Keep this line\nHello world   "; }))
      << "the editor holds: " << editorText();
}

TEST_F(DesktopRoads, WhenAccessibilityCannotReadTheSelectionTheCopyRoadStillCapturesIt) {
  platform::LogCapture log;
  startEditor({"--select", "6", "5", "--clipboard-text", "copied earlier"}, "hello brave world",
              /*accessible=*/false);
  const auto clipboardBefore = desktop_.pasteboard->pasteboardItems();
  keyboard.chord({XK_Super_L, XK_Shift_L, XK_space});
  ASSERT_TRUE(runUntil([&] { return capturedView() != nullptr; })) << "the window never opened";
  EXPECT_EQ(capturedView()->text, "brave");
  EXPECT_EQ(desktop_.pasteboard->pasteboardItems(), clipboardBefore);
  EXPECT_TRUE(log.contains("无法获取到焦点元素")) << "the selection was not read through accessibility";
}

}  // namespace
}  // namespace quellorin
