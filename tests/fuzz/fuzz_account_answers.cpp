// The profile and usage answers of the service, as 200 bodies. No exception escapes; a body
// that is not JSON, or nests deeper than the store keeps, shows one alert and stores nothing; a JSON body
// stores values only when it is an object with the fields the answer needs, and then the texts exactly as
// sent.
#include "Platform/Core/Log.h"
#include "Platform/Defaults/DefaultsValue.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Common/Account.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace {

using nlohmann::json;

void require(bool condition) {
  if (!condition) std::abort();
}

std::optional<std::string> textOf(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::LogSink quiet = platform::setLogSink([](std::string_view) {});
  (void)quiet;
  if (size == 0) return 0;
  const bool profile = data[0] & 1;
  const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);

  platform::VirtualEnvironment environment;
  const auto alerts = std::make_shared<platform::RecordingAlertPresenter>();
  environment.environment().alertPresenter = alerts;
  const auto account = std::make_shared<quellorin::Account>();
  const platform::HttpDataResult answer{platform::HttpResponseHead{200, {}}, body, std::nullopt};
  if (profile) {
    account->handleGetUserResponse(answer);
  } else {
    account->handleUserSubInfoResponse(answer);
  }
  environment.advance(1);
  const platform::UserDefaults& stored = *environment.environment().userDefaults;

  const json parsed = json::parse(body, nullptr, false);
  if (body.empty() || parsed.is_discarded() ||
      platform::nestedDeeperThan(parsed, platform::kMaxJSONNesting)) {
    require(stored.dictionaryRepresentation().empty());
    require(alerts->shownAlerts().size() == (body.empty() ? 0u : 1u));
    return 0;
  }
  require(alerts->shownAlerts().empty());
  const bool usable = parsed.is_object() && (profile ? textOf(parsed, "email") && textOf(parsed, "id")
                                                     : parsed.contains("subscriptionVersion"));
  if (!usable) {
    require(stored.dictionaryRepresentation().empty());
    return 0;
  }
  require(stored.string("username") == textOf(parsed, "name").value_or(""));
  require(stored.string("email") == textOf(parsed, "email"));
  require(stored.contains("apiUsageCount") && stored.contains("maxFastCount"));
  if (profile) require(stored.string("userId") == textOf(parsed, "id"));
  return 0;
}
