#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Http/CurlHttpClient.h"
#include "Platform/Http/HttpCancellation.h"
#include "Quellorin/Common/Account.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/EventStreamReader.h"
#include "Quellorin/Shell/SoftwareUpdater.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/StandInProcess.h"

namespace quellorin {
namespace {

// A platform environment on virtual time whose HTTP client talks to a stand-in service started
// for the test, with a recording alert presenter and an in-memory user-defaults store. Every
// event, alert, notification and user-defaults change lands in one journal, in the order it
// happened, so that tests can check the order across all of them.
class ServiceFixture : public ::testing::Test {
 private:
  // Declared first so that they outlive the environment, whose pool work may still note.
  std::mutex mutex_;
  std::vector<std::string> journal_;
  bool savedURL_ = false;
  std::optional<std::string> previousURL_;

 protected:
  ServiceFixture() {
    auto& environment = virtualEnvironment.environment();
    environment.userDefaults = platform::UserDefaults::inMemory();
    environment.httpClient = std::make_shared<platform::CurlHttpClient>();
    environment.alertPresenter = alerts;
    useServiceURL(service.baseURL());
    alerts->setOnShow([this](const platform::Alert& alert) { note("alert: " + alert.messageText); });
    for (const char* name : {"AlertDidClose", "UserDidLogin", "UserInfoChanged",
                             "UserSubscriptionInfoUpdated", "ApiUsageCountUpdated"}) {
      environment.notificationCenter->addObserver(
          name, platform::NotificationCenter::Delivery::postingThread,
          [this](const platform::Notification& n) { note("post: " + n.name); });
    }
    for (const char* key : {"SessionToken", "userId", "email", "apiUsageCount", "subscriptionVersion"}) {
      environment.userDefaults->addObserver(key, [this](const std::string& changed, const auto& value) {
        note("defaults: " + changed + (value ? " set" : " removed"));
      });
    }
  }

  ~ServiceFixture() override {
    if (previousURL_)
      setenv("QUELLORIN_SERVICE_URL", previousURL_->c_str(), 1);
    else
      unsetenv("QUELLORIN_SERVICE_URL");
  }

  void useServiceURL(const std::string& url) {
    if (!savedURL_) {
      savedURL_ = true;
      if (const char* old = std::getenv("QUELLORIN_SERVICE_URL")) previousURL_ = old;
    }
    setenv("QUELLORIN_SERVICE_URL", url.c_str(), 1);
  }

  void note(const std::string& entry) {
    std::lock_guard lock(mutex_);
    journal_.push_back(entry);
  }

  std::vector<std::string> journal() {
    std::lock_guard lock(mutex_);
    return journal_;
  }

  // The journal entries that start with `prefix`.
  std::vector<std::string> journalOf(const std::string& prefix) {
    std::vector<std::string> picked;
    for (const auto& entry : journal()) {
      if (entry.starts_with(prefix)) picked.push_back(entry);
    }
    return picked;
  }

  // Requests the stand-in has received for `path`.
  std::vector<nlohmann::json> requestsTo(const std::string& path) {
    std::vector<nlohmann::json> picked;
    for (const auto& request : service.requests()) {
      if (request["path"] == path) picked.push_back(request);
    }
    return picked;
  }

  platform::UserDefaults& defaults() { return *virtualEnvironment.environment().userDefaults; }

  testsupport::StandInProcess service;
  platform::VirtualEnvironment virtualEnvironment;
  std::shared_ptr<platform::RecordingAlertPresenter> alerts =
      std::make_shared<platform::RecordingAlertPresenter>();
  platform::LogCapture log;
};

using nlohmann::json;
using quellorin::AIService;
using quellorin::StreamEvent;

constexpr const char* kTimedOutText =
    "[quellorin-error] The request timed out, please check your network connection.";
constexpr const char* kCancelledText = "[quellorin-error] The request was cancelled.";

class AIServiceIntegration : public ServiceFixture {
 protected:
  // Runs one request on the task pool, as the application does, and lets everything it
  // queued settle. Each event is journalled with the thread it arrived on.
  void request(std::vector<AIService::Message> messages = {{{"role", "user"}, {"content", "hello"}}},
               platform::HttpCancellation* cancellation = nullptr,
               std::function<void(const StreamEvent&)> alsoOnEvent = {}) {
    auto& environment = virtualEnvironment.environment();
    environment.taskPool->async([=, this] {
      client.processText(
          "fast", true, "spaceTrigger__1767225600", messages,
          [this, alsoOnEvent](const StreamEvent& event) {
            const bool onMain = platform::MainQueue::main()->isMainThread();
            note((onMain ? "main " : "task ") + event.event + ": " + event.message);
            std::lock_guard lock(eventsMutex);
            events.push_back(event);
            if (alsoOnEvent) alsoOnEvent(event);
          },
          cancellation);
      note("returned");
    });
    virtualEnvironment.runUntilIdle();
  }

  // The answer text that the "message" events add up to.
  std::string answer() {
    std::string text;
    for (const auto& event : events) {
      if (event.event == "message") text += event.message;
    }
    return text;
  }

  std::vector<std::string> errorEvents() {
    std::vector<std::string> texts;
    for (const auto& event : events) {
      if (event.event == "error") texts.push_back(event.message);
    }
    return texts;
  }

  // Short enough for stalls to time out quickly, long enough never to cut a healthy answer.
  AIService client{std::chrono::milliseconds(1000)};
  std::mutex eventsMutex;
  std::vector<StreamEvent> events;
};

TEST_F(AIServiceIntegration, SignedOutRequestCarriesTheDeviceCredentialAndStreamsTheAnswer) {
  defaults().setString("DeviceIdentifier", "DEVICE-1");
  request();
  ASSERT_EQ(events.size(), 6u);
  EXPECT_EQ(events.front(), (StreamEvent{"workflow_started", "started"}));
  EXPECT_EQ(events.back(), (StreamEvent{"workflow_finished", "finished"}));
  EXPECT_EQ(answer(), "You said: hello");
  EXPECT_EQ(journalOf("main "), std::vector<std::string>{});  // every stream event on the task

  const auto sent = requestsTo("/api/processText");
  ASSERT_EQ(sent.size(), 1u);
  const json& body = sent[0]["body"];
  EXPECT_EQ(body["mode"], "fast");
  EXPECT_EQ(body["userId"], "unknown_user");
  EXPECT_EQ(body["spaceTrigger"], json(true));
  EXPECT_EQ(body["sessionId"], "spaceTrigger__1767225600");
  EXPECT_EQ(body["messages"], json::parse(R"([{"role":"user","content":"hello"}])"));
  EXPECT_EQ(body["response_mode"], "streaming");
  EXPECT_EQ(body["userID"], "DEVICE-1");
  EXPECT_FALSE(body.contains("token"));
  EXPECT_EQ(body["user"].get<std::string>().size(), 36u);
  // The service decrypts the credential to the virtual clock's second.
  EXPECT_EQ(sent[0]["credential"], "device:1767225600");
  std::map<std::string, std::string> headers;
  for (const auto& pair : sent[0]["headers"]) headers[pair[0]] = pair[1];
  EXPECT_EQ(headers["X-Encrypted-String"], body["encryptedString"]);
  EXPECT_EQ(headers["Content-Type"], "application/json");
  EXPECT_EQ(headers["Accept"], "text/event-stream");
  EXPECT_FALSE(headers.count("Authorization"));

  // A successful first answer refreshes the usage counts.
  ASSERT_EQ(requestsTo("/api/getUserSubInfo").size(), 1u);
  EXPECT_EQ(defaults().integer("apiUsageCount"), 4);
  EXPECT_TRUE(alerts->entries().empty());
}

TEST_F(AIServiceIntegration, SignedOutWithoutADeviceIdentifierOrWithAnEmptyTokenSendsNoUserIDNorToken) {
  defaults().setString("SessionToken", "");
  request();
  const auto sent = requestsTo("/api/processText").at(0);
  EXPECT_EQ(sent["credential"], "device:1767225600");
  EXPECT_FALSE(sent["body"].contains("userID"));
  EXPECT_FALSE(sent["body"].contains("token"));
  EXPECT_TRUE(sent["body"].contains("encryptedString"));
}

TEST_F(AIServiceIntegration, SignedInRequestCarriesTheBearerTokenAndTheCurrentAccountId) {
  defaults().setString("SessionToken", "session-1");
  request();
  defaults().setString("userId", "user-9");  // signed in after the first request
  request();
  const auto sent = requestsTo("/api/processText");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0]["credential"], "bearer:session-1");
  EXPECT_EQ(sent[0]["body"]["token"], "session-1");
  EXPECT_EQ(sent[0]["body"]["userID"], "unknown_user");
  EXPECT_FALSE(sent[0]["body"].contains("encryptedString"));
  EXPECT_EQ(sent[1]["body"]["userId"], "user-9");
  EXPECT_EQ(sent[1]["body"]["userID"], "user-9");
  EXPECT_NE(sent[0]["body"]["user"], sent[1]["body"]["user"]);
}

TEST_F(AIServiceIntegration, JunkLinesSplitWritesADripAndInvalidUTF8GiveTheSameAnswer) {
  service.queueFault({{"noise", true}, {"splitWrites", true}});
  request();
  EXPECT_EQ(answer(), "You said: hello");
  service.queueFault({{"drip", true}});
  events.clear();
  request({{{"role", "user"}, {"content", "日本語のテキスト"}}});
  EXPECT_EQ(answer(), "You said: 日本語のテキスト");
  EXPECT_TRUE(errorEvents().empty());
  EXPECT_TRUE(log.contains("接收到事件：ping"));
  service.queueFault({{"invalidUtf8", true}});
  events.clear();
  request();
  EXPECT_EQ(answer(), "You said: hellobad \xEF\xBF\xBD byte") << "invalid UTF-8 arrives as U+FFFD";
}

TEST_F(AIServiceIntegration, ARefusalGivesOneEventThenOneAlertThenAlertDidClose) {
  const struct {
    int status;
    std::string text;
  } cases[] = {
      {400,
       "[quellorin-error] Bad Request. The server could not understand the request due to invalid body."},
      {500, "[quellorin-error] Internal Server Error. Please try again later."},
      {404, "服务器响应错误，状态码：404，错误信息：not found"},
      {204, "服务器响应错误，状态码：204，错误信息：no content"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    events.clear();
    const auto before = journal().size();
    service.queueFault({{"status", c.status}});
    request();
    EXPECT_EQ(errorEvents(), std::vector<std::string>{c.text});
    const auto entries = journal();
    EXPECT_EQ(std::vector<std::string>(entries.begin() + static_cast<std::ptrdiff_t>(before), entries.end()),
              (std::vector<std::string>{"task error: " + c.text, "returned",
                                        "alert: Request parsing error：" + c.text, "post: AlertDidClose"}));
  }
  EXPECT_EQ(alerts->shownAlerts().at(0).style, platform::AlertStyle::critical);
  EXPECT_TRUE(log.contains("[error] 400 错误: " + cases[0].text));
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());
}

TEST_F(AIServiceIntegration, UnauthorizedRemovesTheTokenBeforeTheAlertAndPostsAlertDidCloseOnce) {
  defaults().setString("SessionToken", "expired");
  service.queueFault({{"status", 401}});
  request();
  const std::string text = "[quellorin-error] Unauthorized access. Please check your credentials.";
  EXPECT_EQ(journal(), (std::vector<std::string>{"defaults: SessionToken set", "task error: " + text,
                                                 "defaults: SessionToken removed", "returned",
                                                 "alert: Your session has expired. Please sign in again.",
                                                 "post: AlertDidClose"}));
  virtualEnvironment.advance(2.0);
  using Kind = platform::RecordingAlertPresenter::Entry::Kind;
  const auto entries = alerts->entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].kind, Kind::orderedOut);
  EXPECT_EQ(journalOf("post"), std::vector<std::string>{"post: AlertDidClose"});
  // The next request goes out signed out.
  request();
  EXPECT_EQ(requestsTo("/api/processText").at(1)["credential"], "device:1767225602");
}

TEST_F(AIServiceIntegration, ForbiddenWithAKnownCodeShowsItsMessageThenClosesIt) {
  service.queueFault({{"status", 403}, {"errorCode", 2}});
  request();
  const std::string text =
      "[quellorin-error] Forbidden access. You do not have permission to access this resource.";
  EXPECT_EQ(journal(),
            (std::vector<std::string>{"task error: " + text, "returned",
                                      "alert: You have used up your fast requests.", "post: AlertDidClose"}));
  EXPECT_TRUE(log.contains("errorCode: 2"));
  EXPECT_FALSE(log.contains("deadline"));
  virtualEnvironment.advance(1.0);
  EXPECT_TRUE(log.contains("deadline"));
  EXPECT_EQ(alerts->entries().size(), 2u);
}

TEST_F(AIServiceIntegration, ForbiddenWithAnUnknownCodeOrAnUnreadableOrOversizedBodyStillTellsTheUser) {
  service.queueFault({{"status", 403}, {"errorCode", 7}});
  request();
  EXPECT_TRUE(log.contains("errorCode: 7"));
  service.queueFault({{"status", 403}, {"body", "not json"}});
  request();
  EXPECT_TRUE(log.contains("[error] 无法解析403响应的数据"));
  // A body over the cap is not read, even a well-formed one.
  service.queueFault(
      {{"status", 403}, {"body", json{{"errorCode", 1}, {"pad", std::string(100000, 'x')}}.dump()}});
  request();
  EXPECT_EQ(errorEvents().size(), 3u);
  // Each is still a refusal, told to the user as one.
  const auto shown = alerts->shownAlerts();
  ASSERT_EQ(shown.size(), 3u);
  for (const auto& alert : shown) {
    EXPECT_TRUE(alert.messageText.ends_with(
        "：[quellorin-error] Forbidden access. You do not have permission to access this resource."))
        << alert.messageText;
  }
  EXPECT_EQ(journalOf("post"),
            (std::vector<std::string>{"post: AlertDidClose", "post: AlertDidClose", "post: AlertDidClose"}));
}

// Each failure here ends the answer with one error event and one "network" alert after the
// events that came before it, with no resend and no usage refresh. "*" stands for any text.
TEST_F(AIServiceIntegration, AFailurePartWayGivesOneErrorEventAndOneNetworkAlertWithoutAResend) {
  const std::string notAStream =
      "[quellorin-error] The service's answer is not an event stream (Content-Type: text/html; "
      "charset=utf-8).";
  const std::string tooLong = "[quellorin-error] The service's answer has a line longer than " +
                              std::to_string(quellorin::EventStreamReader::kMaxLineBytes) + " bytes.";
  const struct {
    const char* what;
    json fault;
    std::vector<StreamEvent> events;
    std::string errorMentions;
  } cases[] = {
      {"a refusal whose body breaks off",
       {{"status", 403}, {"errorCode", 1}, {"disconnectAfterEvents", 0}},
       {{"error", "[quellorin-error] Forbidden access. You do not have permission to access this resource."},
        {"error", "*"}},
       ""},
      {"a success that is not an event stream (an HTML portal page)",
       {{"body", "<!doctype html><title>Sign in to the Wi-Fi</title>"},
        {"contentType", "text/html; charset=utf-8"}},
       {{"error", notAStream}},
       ""},
      {"a line beyond the limit: nothing after it is read",
       {{"lines",
         {R"(data: {"event":"message","answer":"before"})",
          "data: " + std::string(quellorin::EventStreamReader::kMaxLineBytes, 'x'),
          R"(data: {"event":"message","answer":"after"})"}}},
       {{"message", "before"}, {"error", tooLong}},
       ""},
      {"a stream that drops part-way",
       {{"disconnectAfterEvents", 3}},
       {{"*", "*"}, {"*", "*"}, {"message", "said"}, {"error", "*"}},
       ""},
      {"an unreachable service", nullptr, {{"error", "*"}}, "Could not connect"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    events.clear();
    const auto alertsBefore = journalOf("alert").size();
    const auto sentBefore = requestsTo("/api/processText").size();
    if (c.fault.is_null()) {
      useServiceURL("http://127.0.0.1:1");
    } else {
      service.queueFault(c.fault);
    }
    request();
    ASSERT_EQ(events.size(), c.events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (c.events[i].event != "*") {
        EXPECT_EQ(events[i].event, c.events[i].event) << i;
      }
      if (c.events[i].message != "*") {
        EXPECT_EQ(events[i].message, c.events[i].message) << i;
      }
    }
    EXPECT_NE(events.back().message.find(c.errorMentions), std::string::npos) << events.back().message;
    const auto shown = journalOf("alert");
    EXPECT_EQ(
        std::vector<std::string>(shown.begin() + static_cast<std::ptrdiff_t>(alertsBefore), shown.end()),
        std::vector<std::string>{"alert: Network request or parsing failed：" + events.back().message});
    EXPECT_EQ(requestsTo("/api/processText").size(), sentBefore + (c.fault.is_null() ? 0 : 1));
    useServiceURL(service.baseURL());
  }
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());
  EXPECT_FALSE(log.contains("尝试再次请求"));

  // A stream type in other letters or with parameters is read.
  events.clear();
  service.queueFault({{"contentType", "Text/Event-Stream ; charset=utf-8"}});
  request();
  EXPECT_EQ(answer(), "You said: hello");
  EXPECT_TRUE(errorEvents().empty());
}

TEST_F(AIServiceIntegration, AStreamWithoutEventsEndsQuietlyAndRefreshesTheUsage) {
  service.queueFault({{"lines", json::array()}});
  request();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(requestsTo("/api/getUserSubInfo").size(), 1u);
  EXPECT_EQ(journal().back(), "post: UserInfoChanged");
}

TEST_F(AIServiceIntegration, AnAnswerThatIsNotHTTPGivesOneEventAndTheNetworkParsingAlert) {
  testsupport::LoopbackListener listener;
  std::thread server([&] { testsupport::answerOneRequest(listener, "garbage that is not HTTP\r\n\r\n"); });
  useServiceURL(listener.url());
  request();
  server.join();
  EXPECT_EQ(errorEvents(), std::vector<std::string>{"无法解析服务器响应"});
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Network request or parsing failed：无法解析服务器响应"});
  EXPECT_EQ(journalOf("post"), std::vector<std::string>{"post: AlertDidClose"});
  EXPECT_FALSE(log.contains("尝试再次请求"));
}

TEST_F(AIServiceIntegration, AStallAfterAnEventIsReportedOnceAsTimedOutWithoutAResend) {
  service.queueFault({{"stallAfterEvents", 2}, {"stallMs", 5000}});
  request();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[2], (StreamEvent{"error", kTimedOutText}));
  EXPECT_EQ(requestsTo("/api/processText").size(), 1u);
  // The timed-out report comes on the main queue, right before its alert.
  const auto entries = journal();
  const auto main = std::find(entries.begin(), entries.end(), std::string("main error: ") + kTimedOutText);
  ASSERT_NE(main, entries.end());
  ASSERT_NE(main + 1, entries.end());
  EXPECT_TRUE((main + 1)->starts_with("alert: Network request or parsing failed："));
  EXPECT_EQ(journalOf("post"), std::vector<std::string>{"post: AlertDidClose"});
}

TEST_F(AIServiceIntegration, ATimedOutRequestIsSentFourTimesThenReportedOnce) {
  const json stall = {{"stallAfterEvents", 0}, {"stallMs", 5000}};
  service.queueFault(json::array({stall, stall, stall, stall}));
  request();
  EXPECT_EQ(requestsTo("/api/processText").size(), 4u);
  EXPECT_EQ(events, (std::vector<StreamEvent>{{"error", kTimedOutText}}));
  EXPECT_EQ(journalOf("alert").size(), 1u);
  const std::string text = log.text();
  auto count = [&](const std::string& fragment) {
    std::size_t n = 0;
    for (auto at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("[error] 请求超时："), 1u);
  EXPECT_EQ(count("尝试再次请求"), 3u);
  // Every attempt is the same request.
  const auto sent = requestsTo("/api/processText");
  for (const auto& attempt : sent) EXPECT_EQ(attempt["body"], sent[0]["body"]);
}

TEST_F(AIServiceIntegration, AResendThatSucceedsDeliversItsStreamOnlyAndSkipsTheUsageRefresh) {
  service.queueFault({{"stallAfterEvents", 0}, {"stallMs", 5000}});
  request();
  EXPECT_EQ(answer(), "You said: hello");
  EXPECT_TRUE(errorEvents().empty());
  EXPECT_EQ(requestsTo("/api/processText").size(), 2u);
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());
  EXPECT_TRUE(alerts->entries().empty());
}

TEST_F(AIServiceIntegration, AResendAnsweredUnauthorizedIsHandledLikeAFirstAnswer) {
  defaults().setString("SessionToken", "expired");
  service.queueFault(json::array({{{"stallAfterEvents", 0}, {"stallMs", 5000}}, {{"status", 401}}}));
  request();
  EXPECT_EQ(errorEvents(), std::vector<std::string>{
                               "[quellorin-error] Unauthorized access. Please check your credentials."});
  EXPECT_FALSE(defaults().contains("SessionToken"));
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Your session has expired. Please sign in again."});
}

TEST_F(AIServiceIntegration, ACancelTheCallerAskedForIsReportedOnceWithoutResending) {
  service.queueFault({{"lockstep", true}});
  platform::HttpCancellation cancellation;
  std::thread canceller;
  request({{{"role", "user"}, {"content", "hello"}}}, &cancellation, [&](const StreamEvent&) {
    if (!canceller.joinable()) canceller = std::thread([&] { cancellation.cancel(); });
  });
  canceller.join();
  EXPECT_EQ(events, (std::vector<StreamEvent>{{"workflow_started", "started"}, {"error", kCancelledText}}));
  EXPECT_EQ(requestsTo("/api/processText").size(), 1u);
  EXPECT_EQ(journalOf("alert").size(), 1u);
  EXPECT_TRUE(journalOf("alert")[0].starts_with("alert: The request was cancelled："));
  EXPECT_TRUE(log.contains("[error] 请求被取消："));
  EXPECT_FALSE(log.contains("尝试再次请求"));
}

TEST_F(AIServiceIntegration, AnUnusableAddressOrBodyIsReportedAsAnErrorEventAndSendsNothing) {
  useServiceURL("no address at all");
  request();
  EXPECT_TRUE(log.contains("[error] 无效的URL"));
  useServiceURL(service.baseURL());
  request({{{"role", "user"}, {"content", "bad \xff text"}}});
  EXPECT_TRUE(log.contains("请求体编码失败："));
  const auto errors = errorEvents();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_TRUE(errors[0].starts_with("[quellorin-error] "));
  EXPECT_TRUE(errors[1].starts_with("[quellorin-error] "));
  EXPECT_TRUE(requestsTo("/api/processText").empty());
}

using quellorin::Account;

class AccountIntegration : public ServiceFixture {
 protected:
  // The login callback, delivered on the main thread as the desktop does.
  void callBack(std::vector<std::string> urls) {
    platform::MainQueue::main()->async([this, urls] { account->openURLs(urls); });
    virtualEnvironment.advance(0);
    virtualEnvironment.runUntilIdle();
  }

  void fetchUsage() {
    account->fetchUserSubInfo();
    virtualEnvironment.runUntilIdle();
  }

  std::shared_ptr<Account> account = std::make_shared<Account>();
};

TEST_F(AccountIntegration, ACallbackWithATokenSignsInAndStoresTheProfile) {
  callBack({"quellorin://login?token=tok-1"});
  EXPECT_EQ(defaults().string("SessionToken"), "tok-1");
  const auto sent = requestsTo("/api/getUser");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["method"], "POST");
  EXPECT_EQ(sent[0]["credential"], "bearer:tok-1");

  EXPECT_EQ(defaults().string("userId"), "user-42");
  EXPECT_EQ(defaults().string("email"), "reader@example.com");
  EXPECT_EQ(defaults().string("username"), "Reader");
  EXPECT_EQ(defaults().string("maxFastCount"), "100");  // a number, kept as text
  EXPECT_EQ(defaults().integer("apiUsageCount"), 3);
  EXPECT_EQ(defaults().integer("qualityCount"), 1);
  EXPECT_EQ(defaults().integer("maxSubCount"), 50);
  EXPECT_EQ(defaults().object("tokenExpireAt"), platform::DefaultsValue(std::int64_t{1798761600000}));
  EXPECT_EQ(defaults().json("subscriptionVersion"), json("pro"));
  EXPECT_EQ(defaults().string("periodEndsAt"), "2027-01-01T00:00:00Z");
  EXPECT_TRUE(log.contains("用户信息已保存: Reader, reader@example.com, user-42"));

  const auto posts = journalOf("post");
  EXPECT_EQ(posts, (std::vector<std::string>{"post: UserDidLogin", "post: UserDidLogin"}));
  virtualEnvironment.advance(0.3);
  EXPECT_EQ(journalOf("post").back(), "post: UserInfoChanged");
}

TEST_F(AccountIntegration, TheCallbackStoresAnExpiryDateSevenDaysAheadUntilTheProfileReplacesIt) {
  service.queueFault({{"status", 500}, {"body", "{}"}}, "/api/getUser");
  callBack({"quellorin://login?token=tok-1"});
  const auto expiry = defaults().date("tokenExpireAt");
  ASSERT_TRUE(expiry);
  const double seconds = std::chrono::duration<double>(expiry->time_since_epoch()).count();
  EXPECT_DOUBLE_EQ(seconds, platform::Clock::current()->wallTime() + 7 * 86400);
}

TEST_F(AccountIntegration, CallbacksWithinASecondOfASignInAreIgnored) {
  callBack({"quellorin://login?token=first"});
  virtualEnvironment.advance(0.5);
  callBack({"quellorin://login?token=second"});
  EXPECT_EQ(defaults().string("SessionToken"), "first");
  virtualEnvironment.advance(1.0);
  callBack({"quellorin://login?token=third"});
  EXPECT_EQ(defaults().string("SessionToken"), "third");
  EXPECT_EQ(requestsTo("/api/getUser").size(), 2u);
}

TEST_F(AccountIntegration, ACallbackWithoutAUsableTokenChangesNothing) {
  defaults().setString("SessionToken", "kept");
  callBack({"quellorin://login?token"});
  callBack({"quellorin://login?token="});
  callBack({"quellorin://login?other=1"});
  // A token goes back out in a header line: control characters would add lines of the link's own.
  callBack({"quellorin://login?token=a%0D%0AX-Injected:%201"});
  callBack({"quellorin://login?x=1", "quellorin://login?token=a%0Ab", "quellorin://login?token=a%00b"});
  // Nor is one the store would keep repaired: the session would differ from the one just sent.
  callBack({"quellorin://login?token=tok%91-1"});
  EXPECT_EQ(defaults().string("SessionToken"), "kept");
  EXPECT_TRUE(requestsTo("/api/getUser").empty());
  EXPECT_TRUE(journalOf("post").empty());
  EXPECT_TRUE(log.contains("token: nil"));
}

TEST_F(AccountIntegration, ATokenOnlyInALaterURLIsStoredWithoutTheImmediateSignIn) {
  callBack({"quellorin://login?x=1", "quellorin://login?token=late"});
  EXPECT_EQ(defaults().string("SessionToken"), "late");
  EXPECT_FALSE(defaults().contains("tokenExpireAt") && defaults().date("tokenExpireAt"));
  EXPECT_EQ(requestsTo("/api/getUser").at(0)["credential"], "bearer:late");
  // Only the profile's own "UserDidLogin", none at once.
  EXPECT_EQ(journalOf("post: UserDidLogin").size(), 1u);
}

TEST_F(AccountIntegration, ARefusedProfileStoresNothingEvenWithAProfileShapedBody) {
  service.queueFault({{"status", 401}, {"body", R"({"email":"x@y","id":"intruder"})"}}, "/api/getUser");
  callBack({"quellorin://login?token=tok-1"});
  EXPECT_FALSE(defaults().contains("userId"));
  EXPECT_FALSE(defaults().contains("email"));
  EXPECT_TRUE(log.contains("请求失败: 状态码 401"));
}

TEST_F(AccountIntegration, AProfileWithoutEmailIsRejectedAndOneWithoutAPlanRemovesIt) {
  defaults().setJSON("subscriptionVersion", "old");
  service.queueFault({{"body", R"({"id":"u"})"}}, "/api/getUser");
  callBack({"quellorin://login?token=a"});
  EXPECT_TRUE(log.contains("JSON 解析失败"));
  EXPECT_FALSE(defaults().contains("userId"));
  virtualEnvironment.advance(1.0);
  service.queueFault({{"body", R"({"id":"u","email":"e@x","maxFastCount":"7","fastCount":2.5})"}},
                     "/api/getUser");
  callBack({"quellorin://login?token=b"});
  EXPECT_EQ(defaults().string("userId"), "u");
  EXPECT_FALSE(defaults().contains("subscriptionVersion"));
  EXPECT_EQ(defaults().string("maxFastCount"), "7");
  EXPECT_EQ(defaults().integer("apiUsageCount"), 0);  // a fraction counts as absent
  EXPECT_EQ(defaults().string("username"), "");
}

TEST_F(AccountIntegration, UsageAnswersAreStoredAndAnnouncedInOrder) {
  defaults().setString("DeviceIdentifier", "ignored: the header reads the machine");
  fetchUsage();
  const auto sent = requestsTo("/api/getUserSubInfo");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["method"], "GET");
  EXPECT_EQ(sent[0]["credential"], "device:1767225600");
  EXPECT_EQ(defaults().integer("apiUsageCount"), 4);
  EXPECT_EQ(defaults().string("maxFastCount"), "100");
  EXPECT_EQ(defaults().integer("qualityCount"), 2);
  EXPECT_EQ(journalOf("post"),
            (std::vector<std::string>{"post: UserSubscriptionInfoUpdated", "post: ApiUsageCountUpdated",
                                      "post: UserInfoChanged"}));
}

TEST_F(AccountIntegration, SignedInUsageRequestsSendTheTokenAndAccountId) {
  defaults().setString("SessionToken", "tok");
  defaults().setString("userId", "user-42");
  fetchUsage();
  const auto sent = requestsTo("/api/getUserSubInfo").at(0);
  EXPECT_EQ(sent["credential"], "bearer:tok");
  bool sawUserId = false;
  for (const auto& header : sent["headers"]) sawUserId |= header[0] == "X-User-ID" && header[1] == "user-42";
  EXPECT_TRUE(sawUserId);
}

TEST_F(AccountIntegration, AUsageAnswerWithoutEmailRemovesItAndOneWithoutAPlanIsRejected) {
  defaults().setString("email", "old@x");
  service.queueFault({{"body", R"({"subscriptionVersion":1,"fastCount":9})"}}, "/api/getUserSubInfo");
  fetchUsage();
  EXPECT_FALSE(defaults().contains("email"));
  EXPECT_EQ(defaults().integer("apiUsageCount"), 9);
  service.queueFault({{"body", R"({"fastCount":11})"}}, "/api/getUserSubInfo");
  fetchUsage();
  EXPECT_EQ(defaults().integer("apiUsageCount"), 9);
  EXPECT_TRUE(log.contains("JSON 解析失败"));
}

TEST_F(AccountIntegration, UnreadableAnswersAndALostConnectionShowTheirAlerts) {
  const std::string unreadable = "alert: The server's answer could not be read.";
  // Not JSON, and JSON nested far past what a stack can copy.
  const std::string deep =
      R"({"subscriptionVersion":)" + std::string(200000, '[') + std::string(200000, ']') + "}";
  for (const std::string& body : {std::string("{not json"), deep}) {
    service.queueFault({{"body", body}}, "/api/getUserSubInfo");
    fetchUsage();
    EXPECT_EQ(journalOf("alert").back(), unreadable);
    service.queueFault({{"body", body}}, "/api/getUser");
    callBack({"quellorin://login?token=tok-1"});
    virtualEnvironment.advance(1.0);
    EXPECT_EQ(journalOf("alert").back(), unreadable);
  }
  EXPECT_EQ(journalOf("alert").size(), 4u);
  EXPECT_FALSE(defaults().contains("userId"));
  useServiceURL("http://127.0.0.1:1");
  fetchUsage();
  EXPECT_EQ(journalOf("alert").back(), "alert: The network connection was lost.");
  EXPECT_TRUE(log.contains("请求失败: 网络连接已断开"));
  EXPECT_FALSE(defaults().contains("apiUsageCount"));
}

// Holds every exchange until opened, then hands it to the client underneath.
class GatedClient final : public platform::HttpClient {
 public:
  explicit GatedClient(std::shared_ptr<platform::HttpClient> inner) : inner_(std::move(inner)) {}
  platform::HttpStreamResult stream(const platform::HttpRequest& request,
                                    platform::HttpStreamHandler& handler,
                                    platform::HttpCancellation* cancellation) override {
    opened_.wait();
    return inner_->stream(request, handler, cancellation);
  }
  void open() { gate_.set_value(); }

 private:
  std::shared_ptr<platform::HttpClient> inner_;
  std::promise<void> gate_;
  std::shared_future<void> opened_ = gate_.get_future().share();
};

TEST_F(AccountIntegration, AnAnswerThatArrivesAfterTheAccountIsGoneIsDropped) {
  const struct {
    const char* name;
    std::function<void(Account&)> start;
    const char* path;
  } cases[] = {
      {"usage", [](Account& a) { a.fetchUserSubInfo(); }, "/api/getUserSubInfo"},
      {"profile and callback block", [](Account& a) { a.openURLs({"quellorin://login?token=tok-1"}); },
       "/api/getUser"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto gated = std::make_shared<GatedClient>(virtualEnvironment.environment().httpClient);
    virtualEnvironment.environment().httpClient = gated;
    auto owner = std::make_shared<Account>();
    c.start(*owner);
    owner.reset();
    gated->open();
    virtualEnvironment.runUntilIdle();
    virtualEnvironment.advance(1.0);  // past the end of the callback block
    EXPECT_EQ(requestsTo(c.path).size(), 1u);
    EXPECT_FALSE(defaults().contains("userId"));
    EXPECT_FALSE(defaults().contains("apiUsageCount"));
    EXPECT_TRUE(journalOf("alert").empty());
    EXPECT_TRUE(journalOf("post: UserInfoChanged").empty());
  }
}

TEST_F(AccountIntegration, TheLoginPageCallsBackWithATokenThatSignsIn) {
  platform::HttpRequest page;
  page.url = quellorin::serviceBaseURL() + "/auth/login?callback=macos";
  const auto answer = virtualEnvironment.environment().httpClient->send(page);
  ASSERT_FALSE(answer.error);
  const auto start = answer.body.find("quellorin://");
  ASSERT_NE(start, std::string::npos);
  const std::string callback = answer.body.substr(start, answer.body.find('"', start) - start);
  callBack({callback});
  EXPECT_EQ(defaults().string("SessionToken"), "stand-in-session-token");
  EXPECT_EQ(defaults().string("userId"), "user-42");
}

struct VersionCase {
  const char* candidate;
  const char* installed;
  bool newer;
};

class FeedVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FeedVersionTest, ComparesDottedVersionsPartByPart) {
  EXPECT_EQ(FeedUpdater::isNewer(GetParam().candidate, GetParam().installed), GetParam().newer);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FeedVersionTest,
    ::testing::Values(VersionCase{"1.0.0", "0.1.0", true}, VersionCase{"0.1.0", "0.1.0", false},
                      VersionCase{"0.10", "0.9", true}, VersionCase{"0.9", "0.10", false},
                      VersionCase{"1", "1.0.0", false}, VersionCase{"1.0.1", "1", true},
                      VersionCase{"", "0.1.0", false}, VersionCase{"1.2.10", "1.2.9", true},
                      VersionCase{"10.0", "9.99.99", true}, VersionCase{"2.0.0", "10.0", false},
                      VersionCase{"0.1.0.1", "0.1", true}, VersionCase{"1.0.0-beta", "1.0.0", false}));

struct FeedCase {
  const char* name;
  std::string feed;
  std::string version;
};

// The feed comes from the network: a megabyte of one tag must be read, not overflow the stack.
TEST(FeedReadingTest, ReadsTheNewestVersionOfAFeed) {
  const std::string megabyte(1 << 20, '1');
  std::string unclosedTags;
  while (unclosedTags.size() < megabyte.size()) unclosedTags += "<enclosure ";
  const std::vector<FeedCase> cases = {
      {"element",
       "<rss version=\"2.0\"><item><x:version>100</x:version>"
       "<x:shortVersionString> 1.2.3\n</x:shortVersionString></item></rss>",
       "1.2.3"},
      {"attribute", "<item><enclosure url=\"a\" x:shortVersionString=\"2.0\"/></item>", "2.0"},
      {"no version", "<?xml version=\"1.0\"?><rss version=\"2.0\"></rss>", ""},
      {"the greatest of an element and an attribute",
       "<enclosure shortVersionString=\"2.0\"/><shortVersionString>1.0</shortVersionString>", "2.0"},
      {"the greatest of the items, by number",
       "<item><s:shortVersionString>1.9</s:shortVersionString></item>"
       "<item><s:shortVersionString>1.10</s:shortVersionString></item><item><enclosure "
       "s:shortVersionString=\"1.2\"/>",
       "1.10"},
      {"the last attribute of a tag", "<enclosure shortVersionString=\"1.0\" x:shortVersionString = \"2.0\">",
       "2.0"},
      {"the first tag that has one", "<enclosure a=\"1\"><enclosure\tshortVersionString=\"3\">", "3"},
      {"another tag name", "<enclosures shortVersionString=\"1.0\">", ""},
      {"a version that is no number", "<shortVersionString>beta</shortVersionString>", ""},
      {"a megabyte of tag text",
       "<enclosure " + std::string(megabyte.size(), 'a') + " shortVersionString=\"3.1\"", "3.1"},
      {"a megabyte of version", "<shortVersionString>" + megabyte + "<", megabyte},
      {"a megabyte of unclosed tags", unclosedTags + "shortVersionString=\"4\"", "4"},
  };
  for (const auto& c : cases) EXPECT_EQ(FeedUpdater::newestVersion(c.feed), c.version) << c.name;
}

class SoftwareUpdaterIntegration : public ServiceFixture {};

TEST_F(SoftwareUpdaterIntegration, TheCheckReadsTheFeedAndTellsTheUser) {
  FeedUpdater updater;
  updater.checkForUpdates();
  ASSERT_TRUE(virtualEnvironment.runUntil([&] { return !alerts->shownAlerts().empty(); }));
  EXPECT_EQ(requestsTo("/Appcast.xml").size(), 1u);
  const auto alert = alerts->shownAlerts().front();
  EXPECT_EQ(alert.messageText, platform::localizedString("updateAvailable"));
  EXPECT_EQ(alert.informativeText, "1.0.0\n" + platform::localizedString("updateInstallHint"));
}

TEST_F(SoftwareUpdaterIntegration, AnUnreadableFeedIsReported) {
  useServiceURL("http://127.0.0.1:1");  // nothing listens there
  FeedUpdater updater;
  updater.checkForUpdates();
  ASSERT_TRUE(virtualEnvironment.runUntil([&] { return !alerts->shownAlerts().empty(); }));
  EXPECT_EQ(alerts->shownAlerts().front().messageText, platform::localizedString("updateCheckFailed"));
}

}  // namespace
}  // namespace quellorin
