#include "Quellorin/Services/AIService.h"

#include "Platform/Http/HttpCancellation.h"
#include "Quellorin/Services/EventStreamReader.h"
#include "tests/Quellorin/ServiceFixture.h"
#include "tests/support/LoopbackListener.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using nlohmann::json;
using quellorin::AIService;
using quellorin::StreamEvent;

constexpr const char* kTimedOutText =
    "[quellorin-error] The request timed out, please check your network connection.";
constexpr const char* kCancelledText = "[quellorin-error] The request was cancelled.";

class AIServiceIntegration : public testsupport::ServiceFixture {
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

TEST_F(AIServiceIntegration, SignedOutWithoutADeviceIdentifierSendsNoUserID) {
  request();
  const json body = requestsTo("/api/processText").at(0)["body"];
  EXPECT_FALSE(body.contains("userID"));
  EXPECT_FALSE(body.contains("token"));
  EXPECT_TRUE(body.contains("encryptedString"));
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

TEST_F(AIServiceIntegration, AnEmptyStoredTokenCountsAsSignedOut) {
  defaults().setString("SessionToken", "");
  request();
  const auto sent = requestsTo("/api/processText").at(0);
  EXPECT_EQ(sent["credential"], "device:1767225600");
  EXPECT_FALSE(sent["body"].contains("token"));
}

TEST_F(AIServiceIntegration, JunkLinesSplitWritesAndADripGiveTheSameAnswer) {
  service.queueFault({{"noise", true}, {"splitWrites", true}});
  request();
  EXPECT_EQ(answer(), "You said: hello");
  service.queueFault({{"drip", true}});
  events.clear();
  request({{{"role", "user"}, {"content", "日本語のテキスト"}}});
  EXPECT_EQ(answer(), "You said: 日本語のテキスト");
  EXPECT_TRUE(errorEvents().empty());
  EXPECT_TRUE(log.contains("接收到事件：ping"));
}

TEST_F(AIServiceIntegration, InvalidUTF8InAnAnswerArrivesAsReplacementCharacters) {
  service.queueFault({{"invalidUtf8", true}});
  request();
  EXPECT_EQ(answer(), "You said: hellobad \xEF\xBF\xBD byte");
}

TEST_F(AIServiceIntegration, BadRequestGivesOneEventOneAlertAndAlertDidCloseAfterIt) {
  service.queueFault({{"status", 400}});
  request();
  const std::string text =
      "[quellorin-error] Bad Request. The server could not understand the request due to invalid body.";
  EXPECT_EQ(errorEvents(), std::vector<std::string>{text});
  EXPECT_EQ(journal(),
            (std::vector<std::string>{"task error: " + text, "returned",
                                      "alert: Request parsing error：" + text, "post: AlertDidClose"}));
  EXPECT_EQ(alerts->shownAlerts().at(0).style, platform::AlertStyle::critical);
  EXPECT_TRUE(log.contains("[error] 400 错误: " + text));
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());
}

TEST_F(AIServiceIntegration, ServerErrorGivesOneEventAndOneAlert) {
  service.queueFault({{"status", 500}});
  request();
  const std::string text = "[quellorin-error] Internal Server Error. Please try again later.";
  EXPECT_EQ(errorEvents(), std::vector<std::string>{text});
  EXPECT_EQ(journalOf("alert"), std::vector<std::string>{"alert: Request parsing error：" + text});
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

TEST_F(AIServiceIntegration, ForbiddenWithAnUnknownCodeOrAnUnreadableBodyStillTellsTheUser) {
  service.queueFault({{"status", 403}, {"errorCode", 7}});
  request();
  EXPECT_TRUE(log.contains("errorCode: 7"));
  service.queueFault({{"status", 403}, {"body", "not json"}});
  request();
  EXPECT_TRUE(log.contains("[error] 无法解析403响应的数据"));
  EXPECT_EQ(errorEvents().size(), 2u);
  const auto shown = alerts->shownAlerts();
  ASSERT_EQ(shown.size(), 2u);
  for (const auto& alert : shown)
    EXPECT_TRUE(alert.messageText.ends_with(
        "：[quellorin-error] Forbidden access. You do not have permission to access this resource."))
        << alert.messageText;
  EXPECT_EQ(journalOf("post"), (std::vector<std::string>{"post: AlertDidClose", "post: AlertDidClose"}));
}

TEST_F(AIServiceIntegration, ARefusalWhoseBodyBreaksOffIsReportedThenItsFailureOnce) {
  service.queueFault({{"status", 403}, {"errorCode", 1}, {"disconnectAfterEvents", 0}});
  request();
  const auto errors = errorEvents();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0],
            "[quellorin-error] Forbidden access. You do not have permission to access this resource.");
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Network request or parsing failed：" + errors[1]});
  EXPECT_EQ(requestsTo("/api/processText").size(), 1u);
}

TEST_F(AIServiceIntegration, AStreamWithoutEventsEndsQuietlyAndRefreshesTheUsage) {
  service.queueFault({{"lines", json::array()}});
  request();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(requestsTo("/api/getUserSubInfo").size(), 1u);
  EXPECT_EQ(journal().back(), "post: UserInfoChanged");
}

// A 200 answer that declares another type is not read: one event, one alert, and no usage
// refresh, since no answer came. A stream type in other letters or with parameters is read.
TEST_F(AIServiceIntegration, ASuccessThatIsNotAnEventStreamIsReportedOnce) {
  service.queueFault({{"body", "<!doctype html><title>Sign in to the Wi-Fi</title>"},
                      {"contentType", "text/html; charset=utf-8"}});
  request();
  const std::string expected =
      "[quellorin-error] The service's answer is not an event stream (Content-Type: text/html; "
      "charset=utf-8).";
  EXPECT_EQ(errorEvents(), std::vector<std::string>{expected});
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Network request or parsing failed：" + expected});
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());

  events.clear();
  service.queueFault({{"contentType", "Text/Event-Stream ; charset=utf-8"}});
  request();
  EXPECT_EQ(answer(), "You said: hello");
  EXPECT_TRUE(errorEvents().empty());
}

// An endless line is cut at the reader's limit: the events before it stay, then one error
// event and one alert, and nothing after it is read.
TEST_F(AIServiceIntegration, ALineBeyondTheLimitEndsTheAnswerWithOneErrorAndOneAlert) {
  service.queueFault({{"lines",
                       {R"(data: {"event":"message","answer":"before"})",
                        "data: " + std::string(quellorin::EventStreamReader::kMaxLineBytes, 'x'),
                        R"(data: {"event":"message","answer":"after"})"}}});
  request();
  const std::string expected = "[quellorin-error] The service's answer has a line longer than " +
                               std::to_string(quellorin::EventStreamReader::kMaxLineBytes) + " bytes.";
  EXPECT_EQ(events, (std::vector<StreamEvent>{{"message", "before"}, {"error", expected}}));
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Network request or parsing failed：" + expected});
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());
}

TEST_F(AIServiceIntegration, AnOversizedRefusalBodyIsNotRead) {
  service.queueFault(
      {{"status", 403}, {"body", json{{"errorCode", 1}, {"pad", std::string(100000, 'x')}}.dump()}});
  request();
  EXPECT_EQ(errorEvents().size(), 1u);
  EXPECT_TRUE(log.contains("[error] 无法解析403响应的数据"));
  ASSERT_EQ(alerts->shownAlerts().size(), 1u) << "still a refusal, told as one";
  EXPECT_TRUE(
      alerts->shownAlerts()[0].messageText.ends_with("[quellorin-error] Forbidden access. You do not have "
                                                     "permission to access this resource."));
}

TEST_F(AIServiceIntegration, AnyOtherStatusGivesOneEventAndOneAlert) {
  for (int status : {404, 204}) {
    service.queueFault({{"status", status}});
    request();
  }
  const std::vector<std::string> expected = {"服务器响应错误，状态码：404，错误信息：not found",
                                             "服务器响应错误，状态码：204，错误信息：no content"};
  EXPECT_EQ(errorEvents(), expected);
  EXPECT_EQ(journalOf("alert"), (std::vector<std::string>{"alert: Request parsing error：" + expected[0],
                                                          "alert: Request parsing error：" + expected[1]}));
  EXPECT_EQ(journalOf("post").size(), 2u);
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

TEST_F(AIServiceIntegration, AStreamThatDropsPartWayIsReportedOnceAndNotSentAgain) {
  service.queueFault({{"disconnectAfterEvents", 3}});
  request();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[2], (StreamEvent{"message", "said"}));
  EXPECT_EQ(events[3].event, "error");
  EXPECT_EQ(requestsTo("/api/processText").size(), 1u);
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Network request or parsing failed：" + events[3].message});
  EXPECT_TRUE(requestsTo("/api/getUserSubInfo").empty());
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

TEST_F(AIServiceIntegration, AnUnreachableServiceIsReportedAtOnceWithoutResending) {
  useServiceURL("http://127.0.0.1:1");
  request();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, "error");
  EXPECT_NE(events[0].message.find("Could not connect"), std::string::npos);
  EXPECT_EQ(journalOf("task error").size(), 1u);
  EXPECT_EQ(journalOf("alert"),
            std::vector<std::string>{"alert: Network request or parsing failed：" + events[0].message});
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

}  // namespace
