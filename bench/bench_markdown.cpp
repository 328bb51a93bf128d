// Markdown to HTML through the library, beside cmark's own one-call conversion on the same text.
#include "Markdown/Markdown.h"

#include <benchmark/benchmark.h>
#include <cmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t documentSize = 1 << 20;

// About 1 MB of the Markdown an answer holds: prose with inline styles, nested lists, fenced code,
// quotes, and tables of links written as pipe rows.
std::string makeDocument() {
  std::string text;
  for (int section = 0; text.size() < documentSize; ++section) {
    const std::string n = std::to_string(section);
    text += "## Section " + n + "\n\n";
    text +=
        "The writing service answers in *Markdown*, with **strong words**, `inline code` and\n"
        "links such as [the guide](https://example.com/guide/" +
        n +
        " \"Guide\"). A soft break\n"
        "keeps this paragraph going; unicode too: caf\xC3\xA9, \xE4\xB8\xAD\xE6\x96\x87, "
        "\xF0\x9F\x98\x80.\n\n";
    text +=
        "- first point with <b>raw html</b>\n- second point\n  1. nested one\n  2. nested two\n"
        "- third point\n\n";
    text += "> A quoted remark that spans\n> two lines.\n\n";
    text += "```cpp\nint main() {\n    return " + n + ";\n}\n```\n\n";
    text += "| Name | Link |\n|------|------|\n";
    for (int row = 0; row < 4; ++row) {
      const std::string r = std::to_string(row);
      text += "| item " + r + " | [open](https://example.com/" + n + "/" + r + ") |\n";
    }
    text += "\n---\n\n";
  }
  return text;
}

const std::string& document() {
  static const std::string text = makeDocument();
  return text;
}

void BM_LibraryToHTML(benchmark::State& state) {
  const markdown::Markdown markdown(document());
  for (auto _ : state) {
    std::string html = markdown.toHTML(markdown::MarkdownOptions::hardBreaks);
    benchmark::DoNotOptimize(html);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document().size()));
}

void BM_RawCmarkToHTML(benchmark::State& state) {
  const std::string& text = document();
  for (auto _ : state) {
    char* html = cmark_markdown_to_html(text.data(), text.size(), CMARK_OPT_HARDBREAKS);
    benchmark::DoNotOptimize(html);
    std::free(html);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

double millisecondsOf(const auto& conversion) {
  const auto start = std::chrono::steady_clock::now();
  conversion();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The two roads taken in turn within each iteration, so that both see the same machine load;
// "ratio" is the library's time over cmark's.
void BM_LibraryOverRawCmark(benchmark::State& state) {
  const std::string& text = document();
  const markdown::Markdown markdown(text);
  double library = 0;
  double raw = 0;
  for (auto _ : state) {
    raw += millisecondsOf([&] {
      char* html = cmark_markdown_to_html(text.data(), text.size(), CMARK_OPT_HARDBREAKS);
      benchmark::DoNotOptimize(html);
      std::free(html);
    });
    library += millisecondsOf([&] {
      std::string html = markdown.toHTML(markdown::MarkdownOptions::hardBreaks);
      benchmark::DoNotOptimize(html);
    });
  }
  state.counters["library_ms"] = library / static_cast<double>(state.iterations());
  state.counters["cmark_ms"] = raw / static_cast<double>(state.iterations());
  state.counters["ratio"] = library / raw;
}

BENCHMARK(BM_RawCmarkToHTML)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LibraryToHTML)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LibraryOverRawCmark)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
