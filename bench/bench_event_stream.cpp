// Streams a long answer from the stand-in service on loopback through the service client into
// a callback that counts events, beside `curl -sN` writing the same stream to /dev/null.
// Reports bytes/s and events/s, and the peak resident memory of each run (VmHWM, reset before
// the run) so that 5 MB and 50 MB runs can be compared.

#include "Platform/CurlHttpClient.h"
#include "Quellorin/Services/EventStreamReader.h"
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

class CountingHandler final : public platform::HttpStreamHandler {
 public:
  explicit CountingHandler(std::size_t& events)
      : reader_([&events](const quellorin::StreamEvent&) { ++events; }) {}
  bool onHead(const platform::HttpResponseHead&) override { return true; }
  bool onBody(std::string_view bytes) override {
    reader_.feed(bytes);
    return true;
  }
  void finish() { reader_.finish(); }

 private:
  quellorin::EventStreamReader reader_;
};

platform::HttpRequest processTextRequest() {
  platform::HttpRequest request;
  request.method = "POST";
  request.url = service().baseURL() + "/api/processText";
  request.headers = {{"Content-Type", "application/json"}, {"Accept", "text/event-stream"}};
  request.body = R"({"messages":[{"role":"user","content":"bench"}]})";
  request.idleTimeout = std::chrono::seconds(120);
  return request;
}

void BM_ClientStream(benchmark::State& state) {
  const auto bytes = state.range(0) * kMegabyte;
  platform::CurlHttpClient client;
  std::size_t events = 0;
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    service().queueFault({{"bulkBytes", bytes}});
    resetPeakMemory();
    state.ResumeTiming();
    CountingHandler handler(events);
    const auto result = client.stream(processTextRequest(), handler);
    handler.finish();
    if (result.error) state.SkipWithError(result.error->description.c_str());
    peak = std::max(peak, peakMemoryKilobytes());
  }
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
// line is complete. Time per iteration is the round trip of all events.
void BM_DripLockstep(benchmark::State& state) {
  platform::CurlHttpClient client;
  std::size_t events = 0;
  for (auto _ : state) {
    state.PauseTiming();
    service().queueFault({{"drip", true}, {"lockstep", true}});
    state.ResumeTiming();
    std::size_t before = events;
    platform::HttpRequest request = processTextRequest();
    request.idleTimeout = std::chrono::seconds(5);
    struct ReleasingHandler final : platform::HttpStreamHandler {
      explicit ReleasingHandler(std::size_t& count)
          : reader([&count](const quellorin::StreamEvent&) {
              ++count;
              service().release();
            }) {}
      bool onHead(const platform::HttpResponseHead&) override { return true; }
      bool onBody(std::string_view bytes) override {
        reader.feed(bytes);
        return true;
      }
      quellorin::EventStreamReader reader;
    } handler(events);
    const auto result = client.stream(request, handler);
    if (result.error || events - before < 3) state.SkipWithError("an event was held back");
  }
  state.counters["events"] = static_cast<double>(events) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DripLockstep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
