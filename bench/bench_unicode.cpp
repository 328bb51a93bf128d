// Text conversions on a 64 KiB mixed text (ASCII, CJK, accents, emoji), each beside its baseline:
// toUTF16 against ICU's bulk u_strFromUTF8WithSub, and many position conversions through a
// UTF16Index against the same conversions through the streaming free functions.
#include "Platform/Core/UTF16Index.h"
#include "Platform/Core/Unicode.h"

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <string>

namespace {

namespace unicode = platform::unicode;

const std::string& sampleText() {
  static const std::string text = [] {
    std::string out;
    while (out.size() < 64 * 1024)
      out += "Hello, 世界! Café e\u0301 👨‍👩‍👧 🇫🇷 润色这段文字。\n";
    return out;
  }();
  return text;
}

void BM_ToUTF16(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(unicode::toUTF16(sampleText()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sampleText().size()));
}
BENCHMARK(BM_ToUTF16);

void BM_Baseline_IcuStrFromUTF8(benchmark::State& state) {
  const std::string& text = sampleText();
  for (auto _ : state) {
    std::u16string out(text.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t length = 0;
    u_strFromUTF8WithSub(out.data(), static_cast<std::int32_t>(out.size()), &length, text.data(),
                         static_cast<std::int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(static_cast<std::size_t>(length));
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Baseline_IcuStrFromUTF8);

void BM_CharacterCount(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(unicode::characterCount(sampleText()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sampleText().size()));
}
BENCHMARK(BM_CharacterCount);

// 100 positions spread over the text, converted both ways.
constexpr std::size_t kPositions = 100;

void BM_OffsetsThroughIndex(benchmark::State& state) {
  const std::string& text = sampleText();
  for (auto _ : state) {
    const unicode::UTF16Index index(text);
    for (std::size_t i = 0; i < kPositions; ++i) {
      benchmark::DoNotOptimize(index.byteOffset(index.utf16Offset(i * text.size() / kPositions)));
    }
  }
}
BENCHMARK(BM_OffsetsThroughIndex);

void BM_Baseline_OffsetsThroughFreeFunctions(benchmark::State& state) {
  const std::string& text = sampleText();
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPositions; ++i) {
      benchmark::DoNotOptimize(
          unicode::byteOffset(text, unicode::utf16Offset(text, i * text.size() / kPositions)));
    }
  }
}
BENCHMARK(BM_Baseline_OffsetsThroughFreeFunctions);

}  // namespace

BENCHMARK_MAIN();
