// Streams a Markdown answer of 5, 20 and 80 KB in 500 chunks from the stand-in service on
// loopback through the assistant window's request loop into its answer panel, which converts
// the answer to HTML at every render. Beside it: the panel's conversions alone, one per chunk
// (only the new blocks converted), the same answer converted whole at every chunk, and the
// baseline, raw cmark converting the finished answer once. Counters: the window's renders per
// chunk (renders coalesce while chunks queue up), and the longest conversion of one chunk.

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
#include "Quellorin/Assistant/AnswerHTML.h"
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
  std::size_t answerSize = 0;
  for (const auto& chunk : chunks) answerSize += chunk.size();
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
    environment.runUntil([&] { return !view.hasRunGoing(); });
    rendersPerChunk =
        static_cast<double>(host.renderCount() - rendersBefore) / static_cast<double>(chunks.size());
    if (view.resultText().size() != answerSize) state.SkipWithError("the answer did not arrive whole");

    state.PauseTiming();
    content.view()->tearDown();
    environment.runUntilIdle();
    state.ResumeTiming();
  }
  state.counters["renders/chunk"] = rendersPerChunk;
}
BENCHMARK(BM_StreamThroughWindow)->Arg(5)->Arg(20)->Arg(80)->Unit(benchmark::kMillisecond)->UseRealTime();

// The panel's share: at every chunk, the HTML of everything that has arrived, as the panel
// makes it (only the blocks that are new since the last chunk are converted). Counter: the
// longest single chunk's conversion, what a chunk can wait behind.
void BM_PanelConversions(benchmark::State& state) {
  const auto chunks = chunksOf(answerOf(static_cast<std::size_t>(state.range(0) * kKilobyte)));
  double longest = 0;
  for (auto _ : state) {
    quellorin::AnswerHTML converter;
    std::string shown;
    for (const auto& chunk : chunks) {
      shown += chunk;
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(converter.convert(shown));
      longest = std::max(
          longest,
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
  }
  state.counters["longest_chunk_ms"] = longest;
}
BENCHMARK(BM_PanelConversions)->Arg(5)->Arg(20)->Arg(80)->Unit(benchmark::kMillisecond);

// The same answer converted whole at every chunk.
void BM_WholeConversionPerChunk(benchmark::State& state) {
  const auto chunks = chunksOf(answerOf(static_cast<std::size_t>(state.range(0) * kKilobyte)));
  for (auto _ : state) {
    std::string shown;
    for (const auto& chunk : chunks) {
      shown += chunk;
      benchmark::DoNotOptimize(quellorin::TextHandlingService::markdownToHTML(shown));
    }
  }
}
BENCHMARK(BM_WholeConversionPerChunk)->Arg(5)->Arg(20)->Arg(80)->Unit(benchmark::kMillisecond);

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
