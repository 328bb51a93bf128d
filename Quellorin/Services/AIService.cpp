#include "Quellorin/Services/AIService.h"

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Http/HttpStatusPhrase.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Http/URLComponents.h"
#include "Platform/Crypto/UUID.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Quellorin/Services/EventStreamReader.h"
#include "Quellorin/Common/Account.h"
#include "Quellorin/Common/RequestCredentials.h"
#include "Quellorin/Common/ServiceAddress.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace quellorin {
namespace {

using nlohmann::json;
using platform::HttpErrorKind;

constexpr const char* kBadRequestText =
    "[quellorin-error] Bad Request. The server could not understand the request due to invalid body.";
constexpr const char* kUnauthorizedText =
    "[quellorin-error] Unauthorized access. Please check your credentials.";
constexpr const char* kForbiddenText =
    "[quellorin-error] Forbidden access. You do not have permission to access this resource.";
constexpr const char* kServerErrorText = "[quellorin-error] Internal Server Error. Please try again later.";
// An answer that is not an HTTP response has no status to name.
constexpr const char* kNotHTTPText = "无法解析服务器响应";
constexpr const char* kCancelledText = "[quellorin-error] The request was cancelled.";
constexpr const char* kTimedOutText =
    "[quellorin-error] The request timed out, please check your network connection.";
constexpr const char* kAlertDidClose = "AlertDidClose";
constexpr double kTokenAlertCloseDelay = 2.0;
constexpr double kMessageAlertCloseDelay = 1.0;
constexpr std::size_t kRefusalBodyCap = 64 * 1024;

std::string localized(const char* key) { return platform::localizedString(key); }

bool isUsableServiceURL(const std::string& url) {
  const auto components = platform::URLComponents::parse(url);
  return components && (components->scheme() == "https" || components->scheme() == "http") &&
         !components->host().empty();
}

StreamEvent errorEvent(std::string message) { return {"error", std::move(message)}; }

// The interface text for a refusal's "errorCode", or none for codes the client does not know.
std::optional<std::string> forbiddenAlertKey(std::int64_t errorCode) {
  switch (errorCode) {
    case 1:
      return "numberReached";
    case 2:
      return "baseCount";
    case 4:
      return "highCount";
    default:
      return std::nullopt;
  }
}

}  // namespace

// What one call shares between its attempts.
struct AIService::Call {
  std::shared_ptr<EventCallback> onEvent;
  platform::HttpCancellation* cancellation;
  std::size_t eventsDelivered = 0;  // error events included

  void deliver(const StreamEvent& event) {
    ++eventsDelivered;
    (*onEvent)(event);
  }
};

// The outcome of sending the request once.
struct AIService::Attempt {
  std::optional<long> status;           // none when no response head arrived
  std::string refusalBody;              // the body of a 403 answer
  std::optional<std::string> unusable;  // why a 200 answer could not be read as events
  std::optional<platform::HttpError> error;
};

namespace {

// True for "text/event-stream", with or without parameters, in any letter case.
bool isEventStreamType(std::string_view contentType) {
  std::string_view mediaType = contentType.substr(0, contentType.find(';'));
  while (!mediaType.empty() && (mediaType.back() == ' ' || mediaType.back() == '\t'))
    mediaType.remove_suffix(1);
  while (!mediaType.empty() && (mediaType.front() == ' ' || mediaType.front() == '\t'))
    mediaType.remove_prefix(1);
  constexpr std::string_view kEventStream = "text/event-stream";
  return mediaType.size() == kEventStream.size() &&
         std::equal(mediaType.begin(), mediaType.end(), kEventStream.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// Reads an answer: a 200 body as events, straight to the caller; a 403 body whole; any other
// status ends the exchange at its head. A 200 answer that cannot be an event stream (another
// declared content type, such as the page of a captive portal, or a line beyond the reader's
// limit) stops the exchange and is kept as unusable, with the text that reports it.
class AnswerHandler final : public platform::HttpStreamHandler {
 public:
  explicit AnswerHandler(const std::function<void(const StreamEvent&)>& deliver) : reader_(deliver) {}

  bool onHead(const platform::HttpResponseHead& head) override {
    status_ = head.status;
    if (status_ == 200) {
      // An answer that names no type is read as a stream: only a declared other type is refused.
      const auto contentType = head.header("Content-Type");
      if (contentType && !isEventStreamType(*contentType)) {
        unusable_ =
            "[quellorin-error] The service's answer is not an event stream (Content-Type: " + *contentType +
            ").";
        return false;
      }
    }
    return status_ == 200 || status_ == 403;
  }
  bool onBody(std::string_view bytes) override {
    if (status_ == 200) {
      if (reader_.feed(bytes)) return true;
      unusable_ = "[quellorin-error] The service's answer has a line longer than " +
                  std::to_string(EventStreamReader::kMaxLineBytes) + " bytes.";
      return false;
    }
    // A refusal body is a small JSON object; past the cap it cannot be one, and reading stops.
    refusalBody_.append(bytes);
    return refusalBody_.size() <= kRefusalBodyCap;
  }
  // The body ended normally: a last line without a line break counts too.
  void finish() {
    if (status_ == 200) reader_.finish();
  }
  std::string takeRefusalBody() { return std::move(refusalBody_); }
  const std::optional<std::string>& unusable() const { return unusable_; }

 private:
  long status_ = 0;
  std::optional<std::string> unusable_;
  EventStreamReader reader_;
  std::string refusalBody_;
};

}  // namespace

std::shared_ptr<AIService> AIService::shared() {
  static const auto instance = std::make_shared<AIService>();
  return instance;
}

AIService::AIService(std::chrono::milliseconds idleTimeout) : idleTimeout_(idleTimeout) {
  const auto userId = platform::Environment::current()->userDefaults->string("userId");
  platform::log("获取到的用户ID: " + userId.value_or("unknown_user"));
}

std::variant<platform::HttpRequest, std::string> AIService::createRequest(const std::string& url, json body,
                                                                          const std::string& token) const {
  platform::HttpRequest request;
  request.method = "POST";
  request.url = url;
  request.idleTimeout = idleTimeout_;
  if (!token.empty()) {
    request.headers.push_back({"Authorization", "Bearer " + token});
  } else if (const auto encrypted = body.find("encryptedString");
             encrypted != body.end() && encrypted->is_string()) {
    request.headers.push_back({"X-Encrypted-String", encrypted->get<std::string>()});
  }
  request.headers.push_back({"Content-Type", "application/json"});
  request.headers.push_back({"Accept", "text/event-stream"});
  body["response_mode"] = "streaming";
  body["user"] = platform::randomUUIDString();
  try {
    request.body = body.dump();
  } catch (const json::exception& error) {
    return std::string(error.what());
  }
  return request;
}

void AIService::processText(const std::string& mode, bool spaceTrigger, const std::string& sessionId,
                            const std::vector<Message>& messages, EventCallback onEvent,
                            platform::HttpCancellation* cancellation) {
  Call call{std::make_shared<EventCallback>(std::move(onEvent)), cancellation};
  const std::string url = serviceBaseURL() + "/api/processText";
  if (!isUsableServiceURL(url)) {
    platform::log("[error] 无效的URL");
    call.deliver(errorEvent("[quellorin-error] The service address is not a usable URL: " + url));
    return;
  }
  auto& defaults = *platform::Environment::current()->userDefaults;
  // An empty stored token would count as signed in but send no credential at all.
  std::optional<std::string> token = defaults.string("SessionToken");
  if (token && token->empty()) token.reset();
  json body = json::object();
  body["messages"] = messages;
  platform::log(body["messages"].dump(-1, ' ', false, json::error_handler_t::replace));
  const std::string credential = makeEncryptedString();
  const auto deviceIdentifier = defaults.string("DeviceIdentifier");
  // Read for every request: the account may have changed since the last one.
  const std::string userId = defaults.string("userId").value_or("unknown_user");
  body["mode"] = mode;
  body["userId"] = userId;
  body["spaceTrigger"] = spaceTrigger;
  body["sessionId"] = sessionId;
  if (token) {
    body["token"] = *token;
    body["userID"] = userId;
  } else {
    if (deviceIdentifier) body["userID"] = *deviceIdentifier;
    body["encryptedString"] = credential;
  }
  auto created = createRequest(url, std::move(body), token.value_or(""));
  if (const auto* reason = std::get_if<std::string>(&created)) {
    platform::log("请求体编码失败：" + *reason);
    call.deliver(errorEvent("[quellorin-error] The request body could not be encoded: " + *reason));
    return;
  }
  const auto& request = std::get<platform::HttpRequest>(created);

  Attempt attempt = send(request, call);
  if (!attempt.error) return handleAnswer(attempt, call, true);
  if (attempt.error->kind != HttpErrorKind::timedOut || call.eventsDelivered > 0) {
    return reportFailure(*attempt.error, call);
  }
  // A timed-out request that has delivered nothing is safe to send again: the caller cannot
  // see an event twice.
  const platform::HttpError firstError = *attempt.error;
  platform::log("[error] 请求超时：" + firstError.description);
  for (int resend = 0; resend < kResendLimit; ++resend) {
    platform::log("尝试再次请求");
    attempt = send(request, call);
    if (!attempt.error) return handleAnswer(attempt, call, false);
    if (attempt.error->kind == HttpErrorKind::cancelled || call.eventsDelivered > 0) {
      return reportFailure(*attempt.error, call);
    }
  }
  reportFailure(firstError, call, /*alreadyLogged=*/true);
}

AIService::Attempt AIService::send(const platform::HttpRequest& request, Call& call) const {
  AnswerHandler handler([&call](const StreamEvent& event) { call.deliver(event); });
  const auto result =
      platform::Environment::current()->httpClient->stream(request, handler, call.cancellation);
  Attempt attempt;
  if (result.head) attempt.status = result.head->status;
  attempt.error = result.error;
  if (!result.error) handler.finish();
  // A refusal whose body broke off is still a refusal: it is reported before its failure,
  // which then counts as coming after an event and is never resent.
  if (result.error && attempt.status == 403) call.deliver(errorEvent(kForbiddenText));
  attempt.refusalBody = handler.takeRefusalBody();
  attempt.unusable = handler.unusable();
  return attempt;
}

void AIService::handleAnswer(const Attempt& attempt, Call& call, bool firstAttempt) const {
  if (attempt.status == 200 && attempt.unusable) {
    // Reported once, as any other answer that breaks off: the events read before stay.
    call.deliver(errorEvent(*attempt.unusable));
    showNetworkParsingAlert(*attempt.unusable);
    return;
  }
  if (attempt.status == 200) {
    if (firstAttempt) fetchUserSubInfo();
    return;
  }
  handleRefusal(attempt.status.value_or(-1), attempt.refusalBody, call);
}

void AIService::handleRefusal(long status, const std::string& body, Call& call) const {
  switch (status) {
    case 400:
      call.deliver(errorEvent(kBadRequestText));
      showRequestParsingAlert(kBadRequestText);
      platform::log(std::string("[error] 400 错误: ") + kBadRequestText);
      return;
    case 401:
      call.deliver(errorEvent(kUnauthorizedText));
      handleUnauthorized();
      return;
    case 403:
      call.deliver(errorEvent(kForbiddenText));
      handleForbidden(body);
      return;
    case 500:
      call.deliver(errorEvent(kServerErrorText));
      showRequestParsingAlert(kServerErrorText);
      platform::log(std::string("[error] 500 错误: ") + kServerErrorText);
      return;
    default: {
      if (status < 0) return reportFailure({HttpErrorKind::notHTTP, kNotHTTPText}, call);
      // One event and one alert, carrying both the status and its reason phrase.
      const std::string description = "服务器响应错误，状态码：" + std::to_string(status) + "，错误信息：" +
                                      platform::httpStatusPhrase(status);
      call.deliver(errorEvent(description));
      showRequestParsingAlert(description);
    }
  }
}

void AIService::handleUnauthorized() const {
  platform::Environment::current()->userDefaults->remove("SessionToken");
  showTokenExpirationAlert();
}

void AIService::handleForbidden(const std::string& body) const {
  const json parsed = json::parse(body, nullptr, false);
  const auto code = parsed.is_object() ? parsed.find("errorCode") : parsed.end();
  if (!parsed.is_object() || code == parsed.end() || !code->is_number_integer()) {
    platform::log("[error] 无法解析403响应的数据");
    // A refusal the user is never told of looks like a shortcut that does nothing.
    showRequestParsingAlert(kForbiddenText);
    return;
  }
  const auto errorCode = code->get<std::int64_t>();
  platform::log("errorCode: " + std::to_string(errorCode));
  if (const auto key = forbiddenAlertKey(errorCode))
    showMessageAlert(platform::localizedString(*key));
  else
    showRequestParsingAlert(kForbiddenText);
}

void AIService::reportFailure(const platform::HttpError& error, Call& call, bool alreadyLogged) const {
  if (error.kind == HttpErrorKind::cancelled || error.kind == HttpErrorKind::timedOut) {
    const bool cancelled = error.kind == HttpErrorKind::cancelled;
    if (!alreadyLogged)
      platform::log((cancelled ? "[error] 请求被取消：" : "[error] 请求超时：") + error.description);
    // As the alert it belongs to, this event is delivered on the main queue, just before it.
    const std::string alertKey = cancelled ? "requestCancelled" : "networkParsing";
    platform::Alert alert{platform::AlertStyle::critical,
                          localized(alertKey.c_str()) + "：" + error.description,
                          "",
                          {localized("OK")}};
    auto onEvent = call.onEvent;
    auto event = errorEvent(cancelled ? kCancelledText : kTimedOutText);
    auto environmentNow = platform::Environment::current();
    environmentNow->mainQueue->async([environmentNow, onEvent, event, alert] {
      (*onEvent)(event);
      environmentNow->alertPresenter->runModal(alert);
      environmentNow->notificationCenter->post(kAlertDidClose);
    });
    return;
  }
  // The transport's words for an answer that is not HTTP mean nothing to the user.
  const std::string description = error.kind == HttpErrorKind::notHTTP ? kNotHTTPText : error.description;
  call.deliver(errorEvent(description));
  showNetworkParsingAlert(description);
}

void AIService::showAlertOnMain(platform::Alert alert, std::function<void()> afterClose) const {
  auto environmentNow = platform::Environment::current();
  environmentNow->mainQueue->async([environmentNow, alert, afterClose] {
    environmentNow->alertPresenter->runModal(alert);
    afterClose();
  });
}

void AIService::showRequestParsingAlert(const std::string& message) const {
  showAlertOnMain(
      {platform::AlertStyle::critical, localized("requsetParsing") + "：" + message, "", {localized("OK")}},
      [] { platform::Environment::current()->notificationCenter->post(kAlertDidClose); });
}

void AIService::showNetworkParsingAlert(const std::string& description) const {
  showAlertOnMain({platform::AlertStyle::critical,
                   localized("networkParsing") + "：" + description,
                   "",
                   {localized("OK")}},
                  [] { platform::Environment::current()->notificationCenter->post(kAlertDidClose); });
}

void AIService::showTokenExpirationAlert() const {
  const platform::Alert alert{
      platform::AlertStyle::warning, localized("tokenExpiration"), "", {localized("OK")}};
  showAlertOnMain(alert, [alert] {
    const auto now = platform::Environment::current();
    now->notificationCenter->post(kAlertDidClose);
    auto presenter = now->alertPresenter;
    now->mainQueue->asyncAfter(kTokenAlertCloseDelay, [presenter, alert] { presenter->orderOut(alert); });
  });
}

void AIService::showMessageAlert(const std::string& text) const {
  const platform::Alert alert{platform::AlertStyle::warning, text, "", {localized("OK")}};
  showAlertOnMain(alert, [alert] {
    const auto now = platform::Environment::current();
    now->notificationCenter->post(kAlertDidClose);
    auto presenter = now->alertPresenter;
    now->mainQueue->asyncAfter(kMessageAlertCloseDelay, [presenter, alert] {
      platform::log("deadline");
      presenter->orderOut(alert);
    });
  });
}

}  // namespace quellorin
