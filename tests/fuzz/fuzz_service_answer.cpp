// The service's answer to a text request: a status, a declared type and a body cut in two at
// a point the input chooses. An event stream reaches the caller exactly as the stream reader
// reads the body, with no alert; any other answer gives exactly one error event and one alert,
// a warning only for a refusal (403) whose JSON body names a code the client knows.
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Http/HttpClient.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/EventStreamReader.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

constexpr std::array<long, 10> kStatuses = {200, 200, 200, 400, 401, 403, 403, 404, 500, 503};
constexpr std::array<const char*, 4> kTypes = {"text/event-stream", "Text/Event-Stream ; charset=utf-8",
                                               "application/json", nullptr};

// Answers the text request with the input's answer; every other request (the usage refresh
// after an answer) fails as if offline.
class AnsweringClient final : public platform::HttpClient {
 public:
  AnsweringClient(platform::HttpResponseHead head, std::string_view first, std::string_view second)
      : head_(std::move(head)), pieces_{first, second} {}

  platform::HttpStreamResult stream(const platform::HttpRequest& request,
                                    platform::HttpStreamHandler& handler,
                                    platform::HttpCancellation*) override {
    if (!request.url.ends_with("/api/processText"))
      return {std::nullopt, platform::HttpError{platform::HttpErrorKind::other, "offline"}};
    if (handler.onHead(head_)) {
      for (const auto piece : pieces_)
        if (!handler.onBody(piece)) break;
    }
    return {head_, std::nullopt};
  }

 private:
  platform::HttpResponseHead head_;
  std::array<std::string_view, 2> pieces_;
};

bool namesAKnownCode(std::string_view body) {
  const auto parsed = nlohmann::json::parse(body, nullptr, false);
  if (!parsed.is_object()) return false;
  const auto code = parsed.find("errorCode");
  if (code == parsed.end() || !code->is_number_integer()) return false;
  const auto value = code->get<std::int64_t>();
  return value == 1 || value == 2 || value == 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::LogSink quiet = platform::setLogSink([](std::string_view) {});
  (void)quiet;
  if (size < 2) return 0;
  const long status = kStatuses[(data[0] & 0x0F) % kStatuses.size()];
  const char* type = kTypes[(data[0] >> 4) % kTypes.size()];
  const std::string_view body(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t cut = body.empty() ? 0 : data[1] % (body.size() + 1);

  platform::VirtualEnvironment environment;
  platform::HttpResponseHead head{status, {}};
  if (type != nullptr) head.headers.push_back({"Content-Type", type});
  environment.environment().httpClient =
      std::make_shared<AnsweringClient>(head, body.substr(0, cut), body.substr(cut));
  const auto alerts = std::make_shared<platform::RecordingAlertPresenter>();
  environment.environment().alertPresenter = alerts;

  std::vector<quellorin::StreamEvent> events;
  const auto collect = [&events](const quellorin::StreamEvent& event) { events.push_back(event); };
  quellorin::AIService service;
  service.processText("translate", false, "session", {{{"role", "user"}, {"content", "hi"}}}, collect);
  environment.runUntilIdle();
  environment.advance(5);
  const std::size_t shown = alerts->shownAlerts().size();

  if (status == 200 && (type == nullptr || std::string_view(type) != "application/json")) {
    std::vector<quellorin::StreamEvent> expected;
    quellorin::EventStreamReader reader(
        [&expected](const quellorin::StreamEvent& event) { expected.push_back(event); });
    reader.feed(body);
    reader.finish();
    require(events == expected);
    require(shown == 0);
    return 0;
  }
  require(events.size() == 1 && events[0].event == "error");
  require(shown == 1);
  // A refusal's code the client knows is told in its own words, as a warning; anything else as
  // the failure it is.
  const bool warning = alerts->shownAlerts()[0].style == platform::AlertStyle::warning;
  if (status == 403) require(warning == namesAKnownCode(body));
  return 0;
}
