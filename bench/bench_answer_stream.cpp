// Streams a Markdown answer of 5, 20 and 80 KB in 500 chunks from the stand-in service on
// loopback through the assistant window's request loop into its answer panel, which converts
// the whole answer to HTML at every chunk it shows. Beside it: the panel's conversions alone
// (every prefix the panel shows, converted once each) and the baseline, raw cmark converting
// the finished answer once. Counters: the window's own renders per chunk, and the longest
// render of the panel with the answer so far (measured by one extra render whenever the answer
// grew), which is what a chunk can wait behind.

#include <cmark.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Assistant/AssistantWindowContent.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Assistant/MainView.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace {

constexpr std::size_t kChunks = 500;
constexpr std::int64_t kKilobyte = 1024;

testsupport::StandInProcess& service() {
  static testsupport::StandInProcess process;
  return process;
}

// An answer of about `bytes` bytes: headings, paragraphs, lists and fenced code, as answers are.
std::string answerOf(std::size_t bytes) {
  std::string text;
  for (int section = 1; text.size() < bytes; ++section) {
    const auto n = std::to_string(section);
    text += "## Step " + n + "\n\nThe *quick* brown fox jumps over the **lazy** dog, section " + n +
            ", with `inline code` and a [link](https://example.com/" + n + ").\n\n";
    text += "- first point of " + n + "\n- second point\n  - nested detail\n\n";
    text += "```python\ndef step_" + n + "(x):\n    return x * " + n + "  # comment\n```\n\n";
    text += "> A quoted line in section " + n + ".\n\n";
  }
  text.resize(bytes);
  return text;
}

std::vector<std::string> chunksOf(const std::string& answer) {
  std::vector<std::string> chunks;
  const std::size_t size = (answer.size() + kChunks - 1) / kChunks;
  for (std::size_t at = 0; at < answer.size(); at += size) chunks.push_back(answer.substr(at, size));
  return chunks;
}

nlohmann::json streamFault(const std::vector<std::string>& chunks) {
  nlohmann::json lines = nlohmann::json::array();
  lines.push_back("data: " + nlohmann::json{{"event", "workflow_started"}, {"message", "started"}}.dump());
  lines.push_back("");
  for (const auto& chunk : chunks) {
    lines.push_back("data: " + nlohmann::json{{"event", "message"}, {"answer", chunk}}.dump());
    lines.push_back("");
  }
  return {{"lines", lines}};
}

// The whole road: service, client, request loop, window state, panel renders with a conversion
// each, on virtual time (the main queue's work runs as soon as it is due).
void BM_StreamThroughWindow(benchmark::State& state) {
  const auto chunks = chunksOf(answerOf(static_cast<std::size_t>(state.range(0) * kKilobyte)));
  setenv("QUELLORIN_SERVICE_URL", service().baseURL().c_str(), 1);
  double rendersPerChunk = 0;
  double longestRenderMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    platform::VirtualEnvironment environment;
    testsupport::TemporaryFolder folder("quellorin-bench-answer-");
    auto store = std::make_shared<quellorin::DatabaseService>(folder.path() / "db.sqlite3");
    auto windows =
        std::make_shared<quellorin::WindowService>(std::make_shared<quellorin::TextHandlingService>());
    quellorin::AssistantWindowContent content(
        "", false, {600, 130},
        quellorin::MainViewServices{std::make_shared<quellorin::AIService>(), store, windows, nullptr,
                                    nullptr});
    service().queueFault(streamFault(chunks));
    auto& view = *content.view();
    auto& host = *content.host();
    state.ResumeTiming();

    const auto rendersBefore = host.renderCount();
    view.handleCustomCommit("", "bench", "fast");
    std::size_t seen = 0;
    std::uint64_t measured = 0;
    while (view.hasRunGoing()) {
      environment.runUntil([&] { return view.resultText().size() != seen || !view.hasRunGoing(); });
      seen = view.resultText().size();
      const auto start = std::chrono::steady_clock::now();
      host.render();
      ++measured;
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      longestRenderMs = std::max(longestRenderMs, took.count());
    }
    rendersPerChunk = static_cast<double>(host.renderCount() - rendersBefore - measured) /
                      static_cast<double>(chunks.size());

    state.PauseTiming();
    content.view()->tearDown();
    environment.runUntilIdle();
    state.ResumeTiming();
  }
  state.counters["renders/chunk"] = rendersPerChunk;
  state.counters["longest_render_ms"] = longestRenderMs;
}
BENCHMARK(BM_StreamThroughWindow)->Arg(5)->Arg(20)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime();

// The panel's share: one conversion per chunk, of everything that has arrived.
void BM_PanelConversions(benchmark::State& state) {
  const auto chunks = chunksOf(answerOf(static_cast<std::size_t>(state.range(0) * kKilobyte)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string shown;
    for (const auto& chunk : chunks) {
      shown += chunk;
      auto html = quellorin::TextHandlingService::markdownToHTML(shown);
      bytes += shown.size();
      benchmark::DoNotOptimize(html);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PanelConversions)->Arg(5)->Arg(20)->Arg(80)->Unit(benchmark::kMillisecond);

// Baseline: raw cmark, the finished answer once.
void BM_CmarkOnce(benchmark::State& state) {
  const auto answer = answerOf(static_cast<std::size_t>(state.range(0) * kKilobyte));
  for (auto _ : state) {
    char* html = cmark_markdown_to_html(answer.data(), answer.size(), CMARK_OPT_HARDBREAKS);
    benchmark::DoNotOptimize(html);
    std::free(html);
  }
}
BENCHMARK(BM_CmarkOnce)->Arg(5)->Arg(20)->Arg(80)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
