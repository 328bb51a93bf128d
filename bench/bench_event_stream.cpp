// Streams a long answer from the stand-in service on loopback through the service client into
// a callback that counts events, beside `curl -sN` writing the same stream to /dev/null.
// Reports bytes/s and events/s, and the peak resident memory of each run (VmHWM, reset before
// the run) so that 5 MB and 50 MB runs can be compared.

#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedDesktop.h"
#include "Quellorin/Services/AIService.h"
#include "tests/support/StandInProcess.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr std::int64_t kMegabyte = 1024 * 1024;

testsupport::StandInProcess& service() {
  static testsupport::StandInProcess process;
  return process;
}

void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The peak resident set of this process since the last reset, in kilobytes.
double peakMemoryKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) return std::stod(line.substr(6));
  }
  return 0;
}

// A real environment (libcurl client, system clock) with an in-memory store and the simulated
// desktop, installed once.
void installEnvironment() {
  static const bool installed = [] {
    auto environment = platform::Environment::makeSystemServices();
    environment->alertPresenter = std::make_shared<platform::RecordingAlertPresenter>();
    platform::installSimulatedDesktop(*environment);
    environment->userDefaults = platform::UserDefaults::inMemory();
    platform::Environment::install(environment);
    setenv("QUELLORIN_SERVICE_URL", service().baseURL().c_str(), 1);
    return true;
  }();
  (void)installed;
}

const std::vector<quellorin::AIService::Message> kMessages = {{{"role", "user"}, {"content", "bench"}}};

void BM_ClientStream(benchmark::State& state) {
  installEnvironment();
  const auto bytes = state.range(0) * kMegabyte;
  quellorin::AIService client;
  std::size_t events = 0;
  std::size_t errors = 0;
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    service().queueFault({{"bulkBytes", bytes}});
    resetPeakMemory();
    state.ResumeTiming();
    client.processText("fast", false, "conversation__1", kMessages, [&](const quellorin::StreamEvent& event) {
      ++events;
      if (event.event == "error") ++errors;
    });
    peak = std::max(peak, peakMemoryKilobytes());
  }
  if (errors > 0) state.SkipWithError("the stream reported an error");
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["events/s"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate);
  state.counters["events"] = static_cast<double>(events) / static_cast<double>(state.iterations());
  state.counters["peak_kB"] = peak;
}
BENCHMARK(BM_ClientStream)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurlToDevNull(benchmark::State& state) {
  const auto bytes = state.range(0) * kMegabyte;
  const std::string command = "curl -sN -X POST -H 'Content-Type: application/json' -d '{}' -o /dev/null " +
                              service().baseURL() + "/api/processText";
  for (auto _ : state) {
    state.PauseTiming();
    service().queueFault({{"bulkBytes", bytes}});
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_CurlToDevNull)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

// One byte per network write, the service sending the next event only once the callback has
// had this one: the run completes only if every event reaches the callback as soon as its
// line is complete (a held-back event would stall the stream into a time-out). Time per
// iteration is the round trip of all events of one answer.
void BM_DripLockstep(benchmark::State& state) {
  installEnvironment();
  quellorin::AIService client(std::chrono::seconds(5));
  std::size_t events = 0;
  std::size_t errors = 0;
  for (auto _ : state) {
    state.PauseTiming();
    service().queueFault({{"drip", true}, {"lockstep", true}});
    state.ResumeTiming();
    client.processText("fast", false, "conversation__1", kMessages, [&](const quellorin::StreamEvent& event) {
      ++events;
      if (event.event == "error") ++errors;
      service().release();
    });
  }
  if (errors > 0) state.SkipWithError("an event was held back");
  state.counters["events"] = static_cast<double>(events) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DripLockstep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
