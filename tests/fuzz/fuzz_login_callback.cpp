// Login callbacks: any lines of input, each a URL the desktop opens the application with. No
// exception escapes; every request the account sends has one-line headers; and a stored session
// token is usable (not empty, no control character) and went out in a profile request, since a
// token is only stored together with one.
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Http/HttpClient.h"
#include "Quellorin/Common/Account.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Records each request and answers as an unreachable service would, with nothing to store.
class RecordingClient final : public platform::HttpClient {
 public:
  platform::HttpStreamResult stream(const platform::HttpRequest& request, platform::HttpStreamHandler&,
                                    platform::HttpCancellation*) override {
    const std::lock_guard lock(mutex_);
    requests_.push_back(request);
    return {std::nullopt, platform::HttpError{platform::HttpErrorKind::other, "offline"}};
  }
  std::vector<platform::HttpRequest> requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<platform::HttpRequest> requests_;
};

bool hasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::vector<std::string> linesOf(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::LogSink quiet = platform::setLogSink([](std::string_view) {});
  (void)quiet;
  platform::VirtualEnvironment environment;
  const auto client = std::make_shared<RecordingClient>();
  environment.environment().httpClient = client;
  const auto account = std::make_shared<quellorin::Account>();
  const std::vector<std::string> urls = linesOf(std::string_view(reinterpret_cast<const char*>(data), size));
  account->openURLs(urls);
  environment.runUntilIdle();

  const auto requests = client->requests();
  require(requests.size() <= urls.size());
  for (const auto& request : requests) {
    for (const auto& header : request.headers) {
      require(header.name.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
      require(header.value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    }
  }
  const auto token = environment.environment().userDefaults->string("SessionToken");
  if (token) {
    require(!token->empty() && !hasControlCharacter(*token));
    // Profile requests run side by side on the task pool, so they are recorded in any order.
    const platform::HttpHeader credential{"Authorization", "Bearer " + *token};
    require(std::any_of(requests.begin(), requests.end(), [&](const platform::HttpRequest& request) {
      return std::find(request.headers.begin(), request.headers.end(), credential) != request.headers.end();
    }));
  } else {
    require(requests.empty());
  }
  return 0;
}
