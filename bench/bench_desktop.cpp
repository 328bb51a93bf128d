// Both trigger roads' speed on a real X11 desktop, with the Linux desktop services and the test
// editor in another process (run under scripts/run-on-desktop: Xvfb, a private session bus and the
// accessibility bus):
//
//  - BM_ShortcutToCapturedText: from the shortcut's key press (XTest) to the captured text
//    reaching the window's content. `press_to_text_ms` is the whole time, `fixed_wait_ms` the
//    waits the road keeps on purpose (the copy's 0.2 s), `own_ms` what is left: our own work plus
//    the desktop's round trips.
//  - BM_TypingRate: a translation typed into the editor as the space-bar road types it, until the
//    editor holds all of it: `chars_per_s` beside the same text typed by `xdotool type` (its
//    default delay between keys, as a person would run it); `ratio_to_xdotool` is ours to theirs
//    (above 1: we are faster). `mixed_landed` is the share of a text with an accent, Chinese and an
//    emoji (typed through spare key codes) that lands in the editor, beside xdotool's.
//
// Run: scripts/run-on-desktop build/bench/bench_desktop

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Accessibility.h"
#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "tests/support/TemporaryFolder.h"

// Last: it brings Xlib, whose macros would clash with the declarations above.
#include "tests/support/LinuxDesktopFixture.h"

namespace {

constexpr double kFixedCopyWaitMs = 200;  // the road waits this long for the copy to land
constexpr double kDeadlineSeconds = 30;
// A translation in letters of the keyboard map, for the rate; and one with an accent, Chinese
// and an emoji, whose characters go through spare key codes, for how many of them land.
const std::string kPlainTranslation =
    "The translation arrives piece by piece, as the service streams it, and is typed over the line in "
    "plain letters, digits 0123456789 and punctuation (like this; or that!).";
const std::string kMixedTranslation = "The translation arrives piece by piece: café, 你好 🌍, done.";

// Spawns `arguments` with this process's environment; answers the process id.
pid_t spawn(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot start " + arguments[0]);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

using testsupport::InstalledLinuxDesktop;

// The services of both roads on the installed desktop, and the editor they work on.
class Desktop {
 public:
  Desktop() {
    windows->setRootViewFactory([seen = captures](const std::string& text, bool, platform::Size) {
      seen->text = text;
      ++seen->count;
      return std::make_shared<platform::WindowContent>();
    });
    if (!monitor->installGlobalMonitor()) throw std::runtime_error("the global monitor was refused");
  }
  ~Desktop() {
    stopEditor();
    monitor->removeGlobalMonitor();
    installed.environment->taskPool->waitUntilIdle();
  }
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Starts a new editor holding `text` and waits until its text shows as the focused element's.
  void startEditor(const std::vector<std::string>& options, const std::string& text) {
    stopEditor();
    const auto report = reportFile();
    std::filesystem::remove(report);
    std::vector<std::string> arguments{
        std::string(QUELLORIN_BINARY_DIR) + "/tools/desktop-editor/desktop-editor", "--text", text,
        "--report", report.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    editor_ = spawn(arguments);
    if (!runUntil([&] { return std::filesystem::exists(report) && focusedText() == text; }))
      throw std::runtime_error("the editor's text never showed on the accessibility bus");
  }

  void stopEditor() {
    if (editor_ == 0) return;
    kill(editor_, SIGTERM);
    waitFor(editor_);
    editor_ = 0;
  }

  std::string editorText() const {
    std::ifstream in(reportFile(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs the main queue on this thread until `condition` holds; false after the deadline.
  bool runUntil(const std::function<bool()>& condition) {
    auto& queue = *installed.environment->mainQueue;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(kDeadlineSeconds);
    while (std::chrono::steady_clock::now() < giveUp) {
      while (queue.runOneDue()) {
      }
      if (condition()) return true;
      queue.waitForDueWork(std::chrono::milliseconds(1));
    }
    return condition();
  }

  std::filesystem::path reportFile() const { return folder_ / "editor.txt"; }

  testsupport::Keyboard keyboard;
  InstalledLinuxDesktop installed;
  std::shared_ptr<quellorin::AIService> aiService = std::make_shared<quellorin::AIService>();
  std::shared_ptr<quellorin::TextHandlingService> textHandling =
      std::make_shared<quellorin::TextHandlingService>();
  std::shared_ptr<quellorin::WindowService> windows =
      std::make_shared<quellorin::WindowService>(textHandling);
  std::shared_ptr<quellorin::EventMonitorService> monitor =
      std::make_shared<quellorin::EventMonitorService>(textHandling, windows, aiService);
  // What the window was given to show, and how many times; written on the main queue.
  struct Captures {
    std::string text;
    int count = 0;
  };
  std::shared_ptr<Captures> captures = std::make_shared<Captures>();

 private:
  std::optional<std::string> focusedText() const {
    const auto focused =
        installed.environment->accessibility->systemWideElement()->copyAttributeValue("AXFocusedUIElement");
    const auto* element = focused.value
                              ? std::get_if<std::shared_ptr<platform::AccessibilityElement>>(&*focused.value)
                              : nullptr;
    if (element == nullptr || !*element) return std::nullopt;
    const auto value = (*element)->copyAttributeValue("AXValue");
    const auto* text = value.value ? std::get_if<std::string>(&*value.value) : nullptr;
    return text ? std::optional<std::string>(*text) : std::nullopt;
  }

  testsupport::TemporaryFolder temporary_{"quellorin-desktop-bench-"};
  std::filesystem::path folder_ = temporary_.path();
  pid_t editor_ = 0;
};

double millisecondsSince(std::chrono::steady_clock::time_point begin) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

void BM_ShortcutToCapturedText(benchmark::State& state) {
  platform::LogCapture quiet;
  Desktop desktop;
  desktop.startEditor({"--select", "6", "5"}, "hello brave world");
  double total = 0;
  for (auto _ : state) {
    const int before = desktop.captures->count;
    const auto begin = std::chrono::steady_clock::now();
    desktop.keyboard.chord({XK_Super_L, XK_Shift_L, XK_space});
    if (!desktop.runUntil([&] { return desktop.captures->count > before; })) {
      state.SkipWithError("the window never opened");
      return;
    }
    total += millisecondsSince(begin);
    if (desktop.captures->text != "brave") {
      state.SkipWithError(("captured \"" + desktop.captures->text + "\"").c_str());
      return;
    }
  }
  const double mean = total / static_cast<double>(state.iterations());
  state.counters["press_to_text_ms"] = mean;
  state.counters["fixed_wait_ms"] = kFixedCopyWaitMs;
  state.counters["own_ms"] = mean - kFixedCopyWaitMs;
}
BENCHMARK(BM_ShortcutToCapturedText)->Unit(benchmark::kMillisecond)->Iterations(10);

struct Typed {
  double charactersPerSecond = 0;  // up to the last character that landed
  double landed = 0;               // the share of `text`'s characters the editor holds at the end
};

// `type` typing `text` into a fresh, empty editor, until the editor holds all of it or its text
// has not changed for two seconds.
Typed typeInto(Desktop& desktop, const std::string& text, const std::function<void()>& type) {
  desktop.startEditor({}, "");
  const auto begin = std::chrono::steady_clock::now();
  auto lastChange = begin;
  std::string shown;
  type();
  desktop.runUntil([&] {
    const auto now = std::chrono::steady_clock::now();
    if (auto current = desktop.editorText(); current != shown) {
      shown = std::move(current);
      lastChange = now;
    }
    return shown == text || now - lastChange > std::chrono::seconds(2);
  });
  const auto wanted = static_cast<double>(platform::unicode::toUTF32(text).size());
  const auto held = static_cast<double>(platform::unicode::toUTF32(shown).size());
  return {held / std::chrono::duration<double>(lastChange - begin).count(), held / wanted};
}

void BM_TypingRate(benchmark::State& state) {
  platform::LogCapture quiet;
  Desktop desktop;
  // As the space-bar road types: on the task pool, while the main queue runs.
  const auto ours = [&](const std::string& text) {
    return [&desktop, text] {
      desktop.installed.environment->taskPool->async(
          [textHandling = desktop.textHandling, text] { textHandling->typeText(text); });
    };
  };
  const auto xdotool = [](const std::string& text) {
    return [text] { waitFor(spawn({"xdotool", "type", "--", text})); };
  };
  double oursRate = 0, xdotoolRate = 0, oursLanded = 0, xdotoolLanded = 0;
  for (auto _ : state) {
    const auto plain = typeInto(desktop, kPlainTranslation, ours(kPlainTranslation));
    state.PauseTiming();
    const auto plainBaseline = typeInto(desktop, kPlainTranslation, xdotool(kPlainTranslation));
    if (plain.landed < 1 || plainBaseline.landed < 1) {
      state.SkipWithError("a plain character was lost");
      return;
    }
    oursRate += plain.charactersPerSecond;
    xdotoolRate += plainBaseline.charactersPerSecond;
    oursLanded += typeInto(desktop, kMixedTranslation, ours(kMixedTranslation)).landed;
    xdotoolLanded += typeInto(desktop, kMixedTranslation, xdotool(kMixedTranslation)).landed;
    state.ResumeTiming();
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["chars_per_s"] = oursRate / runs;
  state.counters["xdotool_chars_per_s"] = xdotoolRate / runs;
  state.counters["ratio_to_xdotool"] = oursRate / xdotoolRate;
  state.counters["mixed_landed"] = oursLanded / runs;
  state.counters["xdotool_mixed_landed"] = xdotoolLanded / runs;
}
BENCHMARK(BM_TypingRate)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
