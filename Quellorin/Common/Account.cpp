#include "Quellorin/Common/Account.h"

#include "Platform/Core/Bundle.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/Alert.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Http/URLComponents.h"
#include "Platform/Defaults/DefaultsValue.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Quellorin/Common/RequestCredentials.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Common/URLQueryParameters.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quellorin {
namespace {

using nlohmann::json;

constexpr auto kAccountRequestTimeout = std::chrono::seconds(60);
constexpr double kSessionDays = 7;
constexpr double kCallbackBlockSeconds = 1.0;
constexpr double kUserInfoChangedDelay = 0.3;

platform::UserDefaults& defaults() { return *platform::Environment::current()->userDefaults; }

// A JSON number that is a whole number, as the desktop's number bridging reads it.
std::optional<std::int64_t> wholeNumber(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_number()) return std::nullopt;
  if (found->is_number_integer()) {
    if (found->is_number_unsigned() &&
        found->get<std::uint64_t>() > std::numeric_limits<std::int64_t>::max()) {
      return std::nullopt;
    }
    return found->get<std::int64_t>();
  }
  const double value = found->get<double>();
  if (std::trunc(value) != value || std::abs(value) >= 9.2e18) return std::nullopt;
  return static_cast<std::int64_t>(value);
}

std::optional<std::string> text(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

// "maxFastCount" is kept as text whatever JSON type the service sends.
std::string textualForm(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) return std::string();
  return found->is_string() ? found->get<std::string>() : found->dump();
}

void storeSubscriptionVersion(const json& object) {
  if (const auto found = object.find("subscriptionVersion"); found != object.end()) {
    defaults().setJSON("subscriptionVersion", *found);
  } else {
    defaults().remove("subscriptionVersion");
  }
}

void post(const std::string& name) { platform::Environment::current()->notificationCenter->post(name); }

void queueAlert(platform::Alert alert) {
  auto environmentNow = platform::Environment::current();
  environmentNow->mainQueue->async(
      [environmentNow, alert] { environmentNow->alertPresenter->runModal(alert); });
}

platform::DefaultsDate dateFromWallTime(double secondsSince1970) {
  return platform::DefaultsDate(std::chrono::duration_cast<platform::DefaultsDate::duration>(
      std::chrono::duration<double>(secondsSince1970)));
}

// A token is sent back in a header line: one with a control character (a line break above
// all) would put text of the link's choosing into every request, so it counts as no token. So
// does one that is not UTF-8, which the store would keep repaired, unlike the one sent at once.
bool isUsableToken(std::string_view token) {
  return !token.empty() && platform::unicode::isValidUTF8(token) &&
         std::none_of(token.begin(), token.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Logging an answer and storing its plan copy the JSON value, which recurses once per level:
// an answer nested deeper than the store keeps would exhaust the stack, so it counts as
// unreadable.
bool isNestedTooDeeply(const json& object) {
  if (!platform::nestedDeeperThan(object, platform::kMaxJSONNesting)) return false;
  platform::log("JSON 解析错误: nested more than " + std::to_string(platform::kMaxJSONNesting) +
                " levels deep");
  return true;
}

std::vector<platform::URLQueryItem> queryItemsOf(const std::string& url) {
  const auto components = platform::URLComponents::parse(url);
  if (!components) return {};
  return components->queryItems().value_or(std::vector<platform::URLQueryItem>{});
}

platform::HttpRequest accountRequest(const std::string& method, const std::string& path) {
  platform::HttpRequest request;
  request.method = method;
  request.url = serviceBaseURL() + path;
  request.idleTimeout = kAccountRequestTimeout;
  return request;
}

}  // namespace

std::shared_ptr<Account> Account::shared() {
  static const auto instance = std::make_shared<Account>();
  return instance;
}

void Account::openURLs(const std::vector<std::string>& urls) {
  if (loginCallbackHandled_ || urls.empty()) return;
  const auto firstParameters =
      urlQueryParameters(urls.front()).value_or(std::map<std::string, std::string>{});
  if (const auto token = firstParameters.find("token");
      token != firstParameters.end() && isUsableToken(token->second)) {
    defaults().setString("SessionToken", token->second);
    defaults().setDate("tokenExpireAt", dateFromWallTime(platform::Environment::current()->clock->wallTime() +
                                                         kSessionDays * 86400));
    post("UserDidLogin");
    loginCallbackHandled_ = true;
  }
  for (const auto& url : urls) {
    platform::log("Received URL: " + url);
    std::string urlToken;
    for (const auto& item : queryItemsOf(url)) {
      platform::log(item.name + ": " + item.value.value_or("nil"));
      if (item.name == "token") urlToken = item.value.value_or("");
    }
    // An empty token would read as signed in while sending no credential: keep the session
    // as it is and ask for no profile.
    if (!isUsableToken(urlToken)) continue;
    defaults().setString("SessionToken", urlToken);
    requestProfile(urlToken);
  }
  platform::Environment::current()->mainQueue->asyncAfter(kCallbackBlockSeconds, [weak = weak_from_this()] {
    if (const auto self = weak.lock()) self->loginCallbackHandled_ = false;
  });
}

void Account::requestProfile(const std::string& token) {
  platform::HttpRequest request = accountRequest("POST", "/api/getUser");
  request.headers.push_back({"Authorization", "Bearer " + token});
  auto environmentNow = platform::Environment::current();
  environmentNow->taskPool->async([weak = weak_from_this(), environmentNow, request] {
    auto answer = environmentNow->httpClient->send(request);
    if (const auto self = weak.lock()) self->handleGetUserResponse(answer);
  });
}

void Account::fetchUserSubInfo() {
  const std::string token = defaults().string("SessionToken").value_or("");
  platform::HttpRequest request = accountRequest("GET", "/api/getUserSubInfo");
  if (!token.empty()) {
    request.headers.push_back({"Authorization", "Bearer " + token});
    if (const auto userId = defaults().string("userId")) request.headers.push_back({"X-User-ID", *userId});
  } else {
    request.headers.push_back({"X-Encrypted-String", makeEncryptedString()});
    request.headers.push_back({"X-User-ID", deviceIdentifier()});
  }
  auto environmentNow = platform::Environment::current();
  environmentNow->taskPool->async([weak = weak_from_this(), environmentNow, request] {
    auto answer = environmentNow->httpClient->send(request);
    if (const auto self = weak.lock()) self->handleUserSubInfoResponse(answer);
  });
}

bool Account::answerIsUsable(const platform::HttpDataResult& result) {
  if (result.error) {
    switch (result.error->kind) {
      case platform::HttpErrorKind::notConnected:
        showNetworkLostAlert();
        platform::log("请求失败: 网络连接已断开");
        break;
      case platform::HttpErrorKind::timedOut:
        platform::log("请求失败: 请求超时");
        break;
      default:
        platform::log("请求失败: " + result.error->description);
    }
    return false;
  }
  // Refusals carry bodies of their own; storing them would sign the account out of its values.
  if (!result.head || result.head->status != 200) {
    platform::log("请求失败: 状态码 " + std::to_string(result.head ? result.head->status : 0));
    return false;
  }
  if (result.body.empty()) {
    platform::log("没有收到数据");
    return false;
  }
  return true;
}

void Account::handleGetUserResponse(const platform::HttpDataResult& result) {
  if (!answerIsUsable(result)) return;
  json object;
  try {
    object = json::parse(result.body);
  } catch (const json::exception& error) {
    platform::log(std::string("JSON 解析错误: ") + error.what());
    showJSONErrorAlert();
    return;
  }
  if (isNestedTooDeeply(object)) {
    showJSONErrorAlert();
    return;
  }
  if (!object.is_object()) return;
  platform::log("json:" + object.dump());
  const auto email = text(object, "email");
  const auto id = text(object, "id");
  if (!email || !id) {
    platform::log("JSON 解析失败");
    return;
  }
  const std::string name = text(object, "name").value_or("");
  if (const auto periodEnd = text(object, "period_ends_at")) defaults().setString("periodEndsAt", *periodEnd);
  defaults().setString("maxFastCount", textualForm(object, "maxFastCount"));
  defaults().setString("username", name);
  defaults().setString("email", *email);
  defaults().setString("userId", *id);
  defaults().setInteger("tokenExpireAt", wholeNumber(object, "exp").value_or(0));
  defaults().setInteger("apiUsageCount", wholeNumber(object, "fastCount").value_or(0));
  defaults().setInteger("qualityCount", wholeNumber(object, "qualityCount").value_or(0));
  defaults().setInteger("maxSubCount", wholeNumber(object, "maxSubCount").value_or(0));
  storeSubscriptionVersion(object);
  platform::log("用户信息已保存: " + name + ", " + *email + ", " + *id);
  auto& mainQueue = *platform::Environment::current()->mainQueue;
  mainQueue.async([] { post("UserDidLogin"); });
  mainQueue.asyncAfter(kUserInfoChangedDelay, [] { post("UserInfoChanged"); });
}

void Account::handleUserSubInfoResponse(const platform::HttpDataResult& result) {
  if (!answerIsUsable(result)) return;
  const json object = json::parse(result.body, nullptr, false);
  if (object.is_discarded() || isNestedTooDeeply(object)) {
    showJSONErrorAlert();
    return;
  }
  if (!object.is_object()) return;
  platform::log("json:" + object.dump());
  if (!object.contains("subscriptionVersion")) {
    platform::log("JSON 解析失败");
    return;
  }
  if (const auto periodEnd = text(object, "period_ends_at")) defaults().setString("periodEndsAt", *periodEnd);
  defaults().setString("username", text(object, "name").value_or(""));
  if (const auto email = text(object, "email")) {
    defaults().setString("email", *email);
  } else {
    defaults().remove("email");
  }
  defaults().setInteger("apiUsageCount", wholeNumber(object, "fastCount").value_or(0));
  defaults().setString("maxFastCount", textualForm(object, "maxFastCount"));
  defaults().setInteger("qualityCount", wholeNumber(object, "qualityCount").value_or(0));
  defaults().setInteger("maxSubCount", wholeNumber(object, "maxSubCount").value_or(0));
  storeSubscriptionVersion(object);
  auto& mainQueue = *platform::Environment::current()->mainQueue;
  mainQueue.async([] {
    post("UserSubscriptionInfoUpdated");
    post("ApiUsageCountUpdated");
  });
  mainQueue.async([] { post("UserInfoChanged"); });
}

void fetchUserSubInfo() { Account::shared()->fetchUserSubInfo(); }

void Account::showNetworkLostAlert() {
  queueAlert({platform::AlertStyle::critical,
              platform::localizedString("networklost"),
              "",
              {platform::localizedString("OK")}});
}

void Account::showJSONErrorAlert() {
  queueAlert({platform::AlertStyle::critical, platform::localizedString("jsonError"), "", {}});
}

}  // namespace quellorin
