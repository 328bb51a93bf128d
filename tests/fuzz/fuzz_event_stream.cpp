// The service's answer stream is outside input. Feeds the fuzzer's bytes to the event-stream
// reader cut at a point the input chooses, and checks that the cut changes nothing: the same
// events, in the same order, as when the bytes arrive whole. Every event is of a known kind,
// its text well-formed UTF-8, and there are no more events than lines.
#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Quellorin/Services/EventStreamReader.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

std::vector<quellorin::StreamEvent> readAll(const std::vector<std::string_view>& pieces) {
  std::vector<quellorin::StreamEvent> events;
  quellorin::EventStreamReader reader(
      [&events](const quellorin::StreamEvent& event) { events.push_back(event); });
  for (const auto piece : pieces) reader.feed(piece);
  reader.finish();
  return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::LogSink quiet = platform::setLogSink([](std::string_view) {});
  (void)quiet;
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = size > 1 ? data[0] % size : 0;
  const auto whole = readAll({text});
  const auto split = readAll({text.substr(0, cut), text.substr(cut)});
  if (whole != split) std::abort();
  const auto breaks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n') +
                                               std::count(text.begin(), text.end(), '\r'));
  if (whole.size() > breaks + 1) std::abort();
  for (const auto& event : whole) {
    if (event.event != "message" && event.event != "workflow_started" && event.event != "workflow_finished" &&
        event.event != "error")
      std::abort();
    if (!platform::unicode::isValidUTF8(event.message)) std::abort();
  }
  return 0;
}
