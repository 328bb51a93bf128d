// Renders Markdown documents of 10 KB to 100 KB into styled attributed strings and lays them
// out with the Markdown layout manager, beside the baseline of cmark alone parsing the same text
// and rendering it to HTML. Bytes per second are reported, so time per KB can be compared
// across sizes: it must stay flat as documents grow (linear total time).

#include <benchmark/benchmark.h>
#include <cmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Markdown/Markdown.h"
#include "Markdown/MarkdownLayoutManager.h"
#include "Markdown/MarkdownStyler.h"
#include "Platform/Text/TextStorage.h"

namespace {

// One section of a typical answer: a heading, paragraphs with inline styling, a list with a
// nested list, a quote and a code block. About 1 KB.
std::string section(int number) {
  std::string n = std::to_string(number);
  return "## Section " + n +
         "\n\n"
         "This paragraph has *emphasis*, **strong text**, `inline code` and a [link](https://example.org/" +
         n +
         ").\nIt continues after a soft break with more words to wrap across the line width.\n\n"
         "1. First point of section " +
         n +
         "\n"
         "2. Second point, with a nested list:\n"
         "   - nested bullet one\n"
         "   - nested bullet two\n"
         "3. Third point\n\n"
         "> A quoted remark about the section, long enough to take a line of its own.\n"
         ">\n> > And a nested reply.\n\n"
         "```cpp\nint value = " +
         n +
         ";\nstd::cout << value << std::endl;\n\nreturn value;\n```\n\n"
         "---\n\n";
}

std::string documentOf(std::size_t kilobytes) {
  std::string document;
  for (int number = 1; document.size() < kilobytes * 1024; ++number) {
    document += section(number);
  }
  return document;
}

void BM_RenderAndLayOut(benchmark::State& state) {
  const std::string document = documentOf(static_cast<std::size_t>(state.range(0)));
  auto styler = std::make_shared<markdown::MarkdownStyler>(markdown::MarkdownStylerConfiguration::standard());
  for (auto _ : state) {
    platform::TextStorage storage(
        markdown::Markdown(document).toAttributedString(markdown::MarkdownOptions::default_, styler));
    auto layout = std::make_shared<markdown::MarkdownLayoutManager>();
    layout->addTextContainer(std::make_shared<platform::TextContainer>(platform::Size{600, 0}));
    storage.addLayoutManager(layout);
    benchmark::DoNotOptimize(layout->lineFragments().size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(document.size()));
}

void BM_RenderOnly(benchmark::State& state) {
  const std::string document = documentOf(static_cast<std::size_t>(state.range(0)));
  auto styler = std::make_shared<markdown::MarkdownStyler>(markdown::MarkdownStylerConfiguration::standard());
  for (auto _ : state) {
    benchmark::DoNotOptimize(markdown::Markdown(document)
                                 .toAttributedString(markdown::MarkdownOptions::default_, styler)
                                 .length());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(document.size()));
}

// Baseline: cmark alone, parse and render to HTML.
void BM_CmarkHTMLBaseline(benchmark::State& state) {
  const std::string document = documentOf(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    cmark_node* root = cmark_parse_document(document.data(), document.size(), CMARK_OPT_DEFAULT);
    char* html = cmark_render_html(root, CMARK_OPT_DEFAULT);
    benchmark::DoNotOptimize(html);
    std::free(html);
    cmark_node_free(root);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(document.size()));
}

}  // namespace

BENCHMARK(BM_RenderAndLayOut)->Arg(10)->Arg(20)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderOnly)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CmarkHTMLBaseline)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
