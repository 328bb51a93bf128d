#include "Platform/Desktop/WebView.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace platform {
namespace {

// A delegate that answers link clicks with a fixed policy and counts finished loads.
class ScriptedDelegate : public NavigationDelegate {
 public:
  explicit ScriptedDelegate(NavigationActionPolicy linkPolicy) : linkPolicy_(linkPolicy) {}
  void decidePolicyForNavigationAction(WebView&, const NavigationAction& action,
                                       const std::function<void(NavigationActionPolicy)>& decide) override {
    decide(action.navigationType == NavigationType::linkActivated ? linkPolicy_
                                                                  : NavigationActionPolicy::allow);
    decide(NavigationActionPolicy::cancel);  // a second answer must not count
  }
  void decidePolicyForNavigationResponse(
      WebView&, const NavigationResponse& response,
      const std::function<void(NavigationResponsePolicy)>& decide) override {
    responses.push_back(response.url);
    decide(NavigationResponsePolicy::allow);
  }
  void didFinishNavigation(WebView&) override { ++finished; }

  std::vector<std::string> responses;
  int finished = 0;

 private:
  NavigationActionPolicy linkPolicy_;
};

TEST(WebViewTest, FileLoadsAreRecordedAndFinishThroughTheDelegate) {
  WebView view({0, 0, 400, 300}, nullptr);
  ScriptedDelegate delegate(NavigationActionPolicy::allow);
  view.setNavigationDelegate(&delegate);
  view.loadFileURL("/tmp/page/index.html", "/tmp/page");
  ASSERT_EQ(view.host().fileLoads().size(), 1U);
  EXPECT_EQ(view.host().fileLoads()[0].readAccess, "/tmp/page");
  EXPECT_TRUE(view.host().isLoading());
  EXPECT_EQ(delegate.finished, 0);
  EXPECT_TRUE(view.host().finishLoading());
  EXPECT_EQ(delegate.finished, 1);
  EXPECT_EQ(delegate.responses, std::vector<std::string>{"file:///tmp/page/index.html"});
  EXPECT_EQ(view.host().currentURL(), "file:///tmp/page/index.html");
  EXPECT_FALSE(view.host().finishLoading());
}

TEST(WebViewTest, CancelledLinksLeaveThePageInPlace) {
  WebView view({}, nullptr);
  ScriptedDelegate delegate(NavigationActionPolicy::cancel);
  view.setNavigationDelegate(&delegate);
  view.loadFileURL("/tmp/a.html", "/tmp");
  view.host().finishLoading();
  view.host().clickLink("https://example.org/");
  const auto& navigations = view.host().navigations();
  ASSERT_EQ(navigations.size(), 2U);
  EXPECT_EQ(navigations[1].action.navigationType, NavigationType::linkActivated);
  EXPECT_EQ(navigations[1].policy, NavigationActionPolicy::cancel);
  EXPECT_FALSE(view.host().isLoading());
  EXPECT_EQ(view.host().currentURL(), "file:///tmp/a.html");
}

TEST(WebViewTest, WithoutADelegateEverythingIsAllowed) {
  WebView view({}, nullptr);
  view.host().clickLink("https://example.org/");
  EXPECT_EQ(view.host().navigations().at(0).policy, NavigationActionPolicy::allow);
  EXPECT_TRUE(view.host().finishLoading());
  EXPECT_EQ(view.host().currentURL(), "https://example.org/");
  EXPECT_EQ(view.host().finishedLoads(), 1U);
}

TEST(WebViewTest, ScriptsAreRecordedAndAnsweredAsScripted) {
  WebView view({}, nullptr);
  view.host().answerScripts([](const std::string& script) {
    return script == "document.body.scrollHeight" ? WebViewHost::ScriptAnswer{"512", std::nullopt}
                                                  : WebViewHost::ScriptAnswer{std::nullopt, "ReferenceError"};
  });
  std::optional<std::string> height;
  view.evaluateJavaScript("document.body.scrollHeight", [&](auto result, auto) { height = result; });
  std::optional<std::string> error;
  view.evaluateJavaScript("missing()", [&](auto, auto failure) { error = failure; });
  EXPECT_EQ(height, "512");
  EXPECT_EQ(error, "ReferenceError");
  EXPECT_EQ(view.host().evaluatedScripts().size(), 2U);
}

// Keeps every decision handler to answer later, as a delegate that asks the user would.
class DeferringDelegate : public NavigationDelegate {
 public:
  void decidePolicyForNavigationAction(WebView&, const NavigationAction&,
                                       const std::function<void(NavigationActionPolicy)>& decide) override {
    actions.push_back(decide);
  }
  void decidePolicyForNavigationResponse(
      WebView&, const NavigationResponse&,
      const std::function<void(NavigationResponsePolicy)>& decide) override {
    responses.push_back(decide);
  }
  void didFinishNavigation(WebView&) override { ++finished; }

  std::vector<std::function<void(NavigationActionPolicy)>> actions;
  std::vector<std::function<void(NavigationResponsePolicy)>> responses;
  int finished = 0;
};

TEST(WebViewTest, LateDecisionsTakeEffectWhenTheyComeAndOnlyOnce) {
  WebView view({}, nullptr);
  DeferringDelegate delegate;
  view.setNavigationDelegate(&delegate);
  view.host().clickLink("https://example.org/");
  EXPECT_FALSE(view.host().isLoading());
  ASSERT_EQ(delegate.actions.size(), 1U);
  delegate.actions[0](NavigationActionPolicy::allow);
  delegate.actions[0](NavigationActionPolicy::cancel);
  EXPECT_EQ(view.host().navigations()[0].policy, NavigationActionPolicy::allow);

  EXPECT_FALSE(view.host().finishLoading()) << "not finished until the response is decided";
  ASSERT_EQ(delegate.responses.size(), 1U);
  delegate.responses[0](NavigationResponsePolicy::allow);
  delegate.responses[0](NavigationResponsePolicy::allow);
  EXPECT_EQ(view.host().finishedLoads(), 1U);
  EXPECT_EQ(delegate.finished, 1);
  EXPECT_EQ(view.host().currentURL(), "https://example.org/");
}

TEST(WebViewTest, DecisionsThatComeAfterTheViewIsGoneDoNothing) {
  DeferringDelegate delegate;
  {
    WebView view({}, nullptr);
    view.setNavigationDelegate(&delegate);
    view.host().clickLink("https://example.org/a");  // stays undecided
    view.host().clickLink("https://example.org/b");
    delegate.actions[1](NavigationActionPolicy::allow);
    view.host().finishLoading();  // its response stays undecided
  }
  delegate.actions[0](NavigationActionPolicy::allow);
  delegate.responses[0](NavigationResponsePolicy::allow);
  EXPECT_EQ(delegate.finished, 0);
}

TEST(WebViewTest, SchemeHandlersAreFoundWithoutRegardToCase) {
  auto configuration = std::make_shared<WebViewConfiguration>();
  configuration->setURLSchemeHandler(std::make_shared<URLSchemeHandler>(), "App");
  WebView view({}, configuration);
  EXPECT_NE(view.configuration().urlSchemeHandler("app"), nullptr);
  EXPECT_EQ(view.configuration().urlSchemeHandler("https"), nullptr);
}

}  // namespace
}  // namespace platform
