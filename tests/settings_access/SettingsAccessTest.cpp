#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "UI/Host.h"
#include "settings_access/OpenSettingsAccessAction.h"
#include "settings_access/OpenSettingsErrors.h"
#include "settings_access/OpenSettingsInjectionView.h"
#include "settings_access/SettingsLink.h"
#include "tests/support/Thrown.h"

namespace {

using namespace quellorin::settings_access;

class Delegate : public SettingsActionTarget {
 public:
  explicit Delegate(std::vector<std::string> answers) : answers_(std::move(answers)) {}
  bool respondsToSelector(const std::string& selector) const override {
    return std::find(answers_.begin(), answers_.end(), selector) != answers_.end();
  }
  void sendAction(const std::string& selector) override { sent.push_back(selector); }
  std::vector<std::string> sent;

 private:
  std::vector<std::string> answers_;
};

class LinkView : public ui::View {
 public:
  ui::Node body() override {
    return settingsLink(
        "gear", ui::Text("Settings"), [log = log] { log->push_back("pre"); },
        [log = log] { log->push_back("post"); });
  }
  std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
};

class SettingsAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setSettingsLinkHandler([log = log] { log->push_back("open"); });
  }
  void TearDown() override {
    setSettingsLinkHandler(nullptr);
    setApplicationDelegate({});
  }
  void useVersion(int major) { environment.environment().systemVersion = {major, 0}; }

  platform::VirtualEnvironment environment;
  std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
};

TEST_F(SettingsAccessTest, ALinkRunsItsActionsAroundOpeningOnEveryVersion) {
  struct Case {
    int major;
    std::vector<std::string> delegateAnswers;
    std::vector<std::string> expectedLog;  // the link's pre/post and the scene's "open"
    std::vector<std::string> expectedSent;
  };
  const std::vector<Case> cases = {
      {14, {}, {"pre", "open", "post"}, {}},
      {15, {"showSettingsWindow:"}, {"pre", "open", "post"}, {}},
      {13, {"showSettingsWindow:", "showPreferencesWindow:"}, {"pre", "post"}, {"showSettingsWindow:"}},
      {12, {"showPreferencesWindow:"}, {"pre", "post"}, {"showPreferencesWindow:"}},
      {13, {}, {"pre", "post"}, {}},  // the failure is dropped, both actions still run
  };
  for (const auto& c : cases) {
    useVersion(c.major);
    log->clear();
    auto delegate = std::make_shared<Delegate>(c.delegateAnswers);
    setApplicationDelegate(delegate);
    auto view = std::make_shared<LinkView>();
    view->log = log;
    auto host = ui::Host::make(view);
    ASSERT_TRUE(host->click("gear"));
    environment.advance(0);
    EXPECT_EQ(*log, c.expectedLog) << c.major;
    EXPECT_EQ(delegate->sent, c.expectedSent) << c.major;
  }
}

TEST_F(SettingsAccessTest, TheActionFailsUntilAHiddenLinkConnectsIt) {
  useVersion(14);
  auto action = OpenSettingsAccessAction::make();
  if (const auto failure = testsupport::thrown<OpenSettingsFailure>([&] { (*action)(); })) {
    EXPECT_EQ(failure->error, OpenSettingsError::settingsLinkNotConnected);
  }

  class Content : public ui::View {
   public:
    ui::Node body() override { return ui::Text("content"); }
  };
  auto wrapped = openSettingsAccess(std::make_shared<Content>());
  ui::EnvironmentObjects objects;
  objects.set(action);
  auto host = ui::Host::make(wrapped, {}, objects);
  ASSERT_NE(host->find("open-settings-hidden-link"), nullptr);
  environment.advance(0);  // the trigger is handed over after the evaluation
  (*action)();
  EXPECT_EQ(*log, std::vector<std::string>{"open"});
}

TEST_F(SettingsAccessTest, TheSelectorRoadMapsItsErrors) {
  struct Case {
    int major;
    bool delegateAnswers;
    std::optional<OpenSettingsError> expected;
  };
  for (const Case& c : {Case{13, true, std::nullopt}, Case{13, false, OpenSettingsError::selectorNotFound},
                        Case{12, false, OpenSettingsError::selectorNotFound}}) {
    useVersion(c.major);
    auto delegate = std::make_shared<Delegate>(
        c.delegateAnswers ? std::vector<std::string>{"showPreferencesWindow:"} : std::vector<std::string>{});
    setApplicationDelegate(delegate);
    auto action = OpenSettingsAccessAction::make();
    std::optional<OpenSettingsError> thrown;
    try {
      (*action)();
    } catch (const OpenSettingsFailure& failure) {
      thrown = failure.error;
    }
    EXPECT_EQ(thrown, c.expected) << c.major;
  }
  useVersion(14);
  if (const auto failure = testsupport::thrown<LegacyOpenSettingsFailure>([] { openSettingsLegacy(); })) {
    EXPECT_EQ(failure->error, LegacyOpenSettingsError::unsupportedPlatform);
  }
}

TEST_F(SettingsAccessTest, TheBindingOfAGoneActionReadsNoneAndIgnoresWrites) {
  useVersion(14);
  auto action = OpenSettingsAccessAction::make();
  auto binding = action->closureBinding;
  int calls = 0;
  binding.set([&calls] { ++calls; });
  ASSERT_TRUE(binding.get());
  binding.get()();
  EXPECT_EQ(calls, 1);
  action.reset();
  EXPECT_FALSE(binding.get());
  binding.set([&calls] { ++calls; });
  EXPECT_FALSE(binding.get());
}

}  // namespace
