#include "Quellorin/Common/Account.h"

#include "Platform/Dispatch/Clock.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Shell/UpdaterDelegate.h"
#include "tests/Quellorin/ServiceFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>

namespace {

using nlohmann::json;
using quellorin::Account;

class AccountIntegration : public testsupport::ServiceFixture {
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

}  // namespace

namespace {

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

TEST_F(AccountIntegration, TheServiceAnswersTheUpdateFeedAndTheOnboardingVideos) {
  auto& http = *virtualEnvironment.environment().httpClient;
  platform::HttpRequest feed;
  feed.url = quellorin::UpdaterDelegate().feedURLStringForUpdater();
  const auto rss = http.send(feed);
  ASSERT_FALSE(rss.error);
  EXPECT_EQ(rss.head->status, 200);
  EXPECT_NE(rss.body.find("<rss"), std::string::npos);
  for (const char* path :
       {"/static/videos/tripple-space-translation.mp4", "/static/videos/tripple-space-pipeline.mp4",
        "/static/videos/tripple-space-freeask.mp4"}) {
    platform::HttpRequest video;
    video.url = quellorin::serviceBaseURL() + path;
    const auto result = http.send(video);
    ASSERT_FALSE(result.error) << path;
    EXPECT_EQ(result.head->header("Content-Type"), "video/mp4");
    EXPECT_EQ(result.body.substr(4, 4), "ftyp");
  }
}

}  // namespace
