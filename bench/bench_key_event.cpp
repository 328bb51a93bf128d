// The cost of handling one global key event: the shortcut display string built from the key
// code and modifiers and compared with the stored shortcut, and the space count updated.
// Beside it, the baseline of building the shortcut string alone, and the whole road of an
// event from the monitor through the main queue.
#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

#include "Platform/Desktop/Event.h"
#include "Platform/Desktop/Simulated/SimulatedEventSystem.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Common/ShortcutDisplayString.h"

namespace {

using platform::Event;
using platform::EventType;

// A monitor on a fresh simulated desktop, with the space-bar trigger on and log lines dropped.
struct MonitorBench {
  MonitorBench() { environment.environment().userDefaults->setString("SpecialKeyFeatureStatus", "French"); }
  ~MonitorBench() { platform::setLogSink(previousSink); }

  platform::LogSink previousSink = platform::setLogSink([](std::string_view) {});
  platform::VirtualEnvironment environment;
  std::shared_ptr<quellorin::AIService> aiService = std::make_shared<quellorin::AIService>();
  std::shared_ptr<quellorin::TextHandlingService> textHandling =
      std::make_shared<quellorin::TextHandlingService>();
  std::shared_ptr<quellorin::EventMonitorService> monitor = std::make_shared<quellorin::EventMonitorService>(
      textHandling, std::make_shared<quellorin::WindowService>(textHandling), aiService);
};

void BM_ShortcutStringAlone(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        quellorin::shortcutDisplayString(platform::keycode::space, quellorin::modifier::shift));
  }
}
BENCHMARK(BM_ShortcutStringAlone);

// A plain key: the shortcut is built and compared, the count is reset.
void BM_HandleKeyDownOtherKey(benchmark::State& state) {
  MonitorBench bench;
  const Event event{EventType::keyDown, platform::keycode::a, 0, 1, false, u"a"};
  for (auto _ : state) bench.monitor->handleKeyDown(event, 1);
}
BENCHMARK(BM_HandleKeyDownOtherKey);

// A space 2 s after the last: the shortcut is built and compared, the trigger setting read,
// the count restarted at 1 and its log line written.
void BM_HandleKeyDownSpace(benchmark::State& state) {
  MonitorBench bench;
  Event event{EventType::keyDown, platform::keycode::space, 0, 0, false, u" "};
  double timestamp = 0;
  for (auto _ : state) {
    timestamp += 2;
    bench.monitor->handleKeyDown(event, timestamp);
  }
}
BENCHMARK(BM_HandleKeyDownSpace);

// From the desktop's global monitor through the main queue to the key rules.
void BM_MonitoredKeyThroughTheMainQueue(benchmark::State& state) {
  MonitorBench bench;
  bench.monitor->installGlobalMonitor();
  auto& events = *bench.environment.desktop().eventSystem;
  auto& mainQueue = *bench.environment.environment().mainQueue;
  const Event event{EventType::keyDown, platform::keycode::a, 0, 1, false, {}};
  for (auto _ : state) {
    events.deliverUserEvent(event);
    mainQueue.runOneDue();
  }
}
BENCHMARK(BM_MonitoredKeyThroughTheMainQueue);

}  // namespace

BENCHMARK_MAIN();
