#include <gtest/gtest.h>

#include "Platform/Desktop/WindowServer.h"
#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "Quellorin/Shell/SettingsOpener.h"
#include "ShellFixture.h"

namespace quellorin {
namespace {

class MenuBarMenuTest : public testsupport::ShellFixture {
 protected:
  MenuBarMenuTest() {
    env().userDefaults->setBool("hasSeenOnboarding", true);
    pipelines = {{1, "Translate", {}}, {2, "Structure", {}}};
    previousOpener = SettingsOpener::install([this] { ++settingsOpened; });
  }
  ~MenuBarMenuTest() override { SettingsOpener::install(previousOpener); }

  std::vector<ui::MenuItem> menu() { return shell->menuBarExtra()->menu(); }
  const ui::MenuItem& item(const std::string& id) {
    items = menu();
    const ui::MenuItem* found = ui::findMenuItem(items, id);
    if (!found) throw std::runtime_error("no menu item " + id);
    return *found;
  }
  bool choose(const std::string& id) {
    const bool chosen = shell->menuBarExtra()->choose(id);
    settle(0);
    return chosen;
  }

  std::vector<ui::MenuItem> items;
  int settingsOpened = 0;
  SettingsOpener::Opener previousOpener;
};

TEST_F(MenuBarMenuTest, TheMenuHasItsEightEntriesInOrder) {
  start();
  const auto entries = menu();
  std::vector<std::string> ids;
  for (const auto& entry : entries) ids.push_back(entry.isDivider ? "-" : entry.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"account", "usage", "pipelines", "spacebar", "-", "settings",
                                           "checkForUpdates", "exit"}));
  EXPECT_EQ(shell->menuBarExtra()->extra().symbol, "sparkles");
  EXPECT_EQ(shell->menuBarExtra()->extra().title, L("Quellorin"));
}

struct AccountCase {
  const char* name;
  std::optional<std::string> token;
  std::optional<std::string> username;
  std::string expectedTitleKeyOrText;  // a key when it starts with '@'
};

class MenuAccountTest : public MenuBarMenuTest, public ::testing::WithParamInterface<AccountCase> {};

TEST_P(MenuAccountTest, TheAccountRowFollowsTheSession) {
  const auto& c = GetParam();
  if (c.token) env().userDefaults->setString("SessionToken", *c.token);
  if (c.username) env().userDefaults->setString("username", *c.username);
  start();
  const auto& row = item("account");
  const std::string expected =
      c.expectedTitleKeyOrText[0] == '@' ? L(c.expectedTitleKeyOrText.substr(1)) : c.expectedTitleKeyOrText;
  EXPECT_EQ(row.title, expected);
  EXPECT_EQ(row.symbol, "person.circle");
  // The placeholder is shown, never stored.
  EXPECT_EQ(env().userDefaults->string("username"), c.username);
}

INSTANTIATE_TEST_SUITE_P(Sessions, MenuAccountTest,
                         ::testing::Values(AccountCase{"signedOut", std::nullopt, "ann", "@login"},
                                           AccountCase{"signedIn", "t0k", "ann", "ann"},
                                           AccountCase{"emptyTokenCounts", "", "ann", "ann"},
                                           AccountCase{"signedInWithoutName", "t0k", std::nullopt, "@notset"},
                                           AccountCase{"signedInEmptyName", "t0k", "", "@notset"}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(MenuBarMenuTest, SignedOutTheAccountRowOpensTheLoginPage) {
  start();
  ASSERT_TRUE(choose("account"));
  const auto opened = desktop().workspace->openedURLs();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(opened[0].ends_with("/auth/login?callback=macos"));
  EXPECT_TRUE(log.contains("login"));
}

struct VersionCase {
  int major;
  bool hasMenuBarExtra;
  bool hasStatusItem;
};

class MenuVersionTest : public MenuBarMenuTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(MenuVersionTest, EachSystemOpensTheSettingsFromEveryItem) {
  env().systemVersion = {GetParam().major, 0};
  env().userDefaults->setString("SessionToken", "t0k");
  auto tabs = watchPosts("ChangeSettingsTab");
  auto opens = watchPosts("OpenSetting");
  start();
  EXPECT_EQ(shell->menuBarExtra().has_value(), GetParam().hasMenuBarExtra);
  EXPECT_EQ(shell->delegate()->statusItem() != nullptr, GetParam().hasStatusItem);
  if (!GetParam().hasMenuBarExtra) {
    ASSERT_TRUE(shell->delegate()->statusItem()->choose("settings"));
    EXPECT_EQ(settingsOpened, 1);
    return;
  }
  ASSERT_TRUE(choose("account"));
  EXPECT_EQ(*tabs, (std::vector<std::optional<std::string>>{"config"}));
  EXPECT_EQ(opens->size(), 1u);
  EXPECT_TRUE(env().windowServer->isApplicationActive());
  ASSERT_TRUE(choose("pipeline.settings"));
  EXPECT_EQ(settingsOpened, 2);  // on every system, the pipelines' settings item opens them
  settle(0.29);
  EXPECT_EQ(tabs->size(), 1u);
  settle(0.01);
  EXPECT_EQ(tabs->back(), "general");
  ASSERT_TRUE(choose("settings"));
  EXPECT_EQ(settingsOpened, 3);
  EXPECT_EQ(opens->size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Systems, MenuVersionTest,
                         ::testing::Values(VersionCase{12, false, true}, VersionCase{13, true, false},
                                           VersionCase{14, true, false}, VersionCase{15, true, false}),
                         [](const auto& testCase) { return "macOS" + std::to_string(testCase.param.major); });

TEST_F(MenuBarMenuTest, TheSettingsSceneGetsBothManagers) {
  start();
  const auto scenes = shell->app()->scenes();
  ASSERT_TRUE(scenes.settings);
  EXPECT_EQ(scenes.settings->environment.get<LanguageManager>(), shell->app()->languageManager());
  EXPECT_EQ(scenes.settings->environment.get<AppearanceManager>(), shell->app()->appearanceManager());
}

TEST_F(MenuBarMenuTest, TheUsageRowShowsTheCountsAsStored) {
  start();
  EXPECT_EQ(item("usage").title, L("fastAPIRequests") + ": 0 / ");
  env().userDefaults->setInteger("apiUsageCount", 12);
  env().userDefaults->setString("maxFastCount", "50");
  env().notificationCenter->post("UserInfoChanged");
  settle(0);
  EXPECT_EQ(item("usage").title, L("fastAPIRequests") + ": 12 / 50");
}

TEST_F(MenuBarMenuTest, AFirstLaunchStoresTheMenuSettingsButNotThePlaceholder) {
  start();
  auto& store = *env().userDefaults;
  EXPECT_EQ(shell->app()->selectedOption(), "disabled");
  EXPECT_FALSE(store.contains("viewRefreshId"));
  EXPECT_EQ(store.object("isLoggedIn"), platform::DefaultsValue(false));
  EXPECT_EQ(store.object("apiUsageCount"), platform::DefaultsValue(std::int64_t{0}));
  EXPECT_EQ(store.string("maxFastCount"), "");
  EXPECT_EQ(store.string("selectedPipeline"), "");
  EXPECT_FALSE(store.contains("username"));
}

TEST_F(MenuBarMenuTest, RemovingTheTokenSignsTheMenuOut) {
  env().userDefaults->setString("SessionToken", "t0k");
  env().userDefaults->setString("username", "ann");
  start();
  EXPECT_EQ(item("account").title, "ann");
  env().userDefaults->remove("SessionToken");  // as the service client does on a 401
  settle(0);
  EXPECT_EQ(item("account").title, L("login"));
  EXPECT_FALSE(env().userDefaults->bool_("isLoggedIn"));
}

TEST_F(MenuBarMenuTest, ChoosingPipelinesMarksThemAndPostsLater) {
  auto changes = watchPosts("PipelineSelectionChanged");
  start();
  EXPECT_EQ(item("pipelines").title, L("pipelinesTitle") + " " + L("notset"));
  EXPECT_TRUE(item("pipeline.none").checked);
  EXPECT_EQ(item("pipeline.1").title, L("Translate"));

  struct Step {
    const char* choose;
    std::optional<std::int64_t> storedId;
    std::string selected;
    const char* checked;
  };
  const Step steps[] = {{"pipeline.2", 2, "Structure", "pipeline.2"},
                        {"pipeline.2", 2, "Structure", "pipeline.2"},  // again: written again, posted again
                        {"pipeline.1", 1, "Translate", "pipeline.1"},
                        {"pipeline.none", std::nullopt, "", "pipeline.none"}};
  std::size_t posts = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.choose);
    ASSERT_TRUE(choose(step.choose));
    EXPECT_EQ(changes->size(), posts);
    settle(0.2);
    EXPECT_EQ(changes->size(), ++posts);
    const auto stored = env().userDefaults->object("currentPipelineId");
    EXPECT_EQ(stored ? std::optional<std::int64_t>(std::get<std::int64_t>(*stored)) : std::nullopt,
              step.storedId);
    EXPECT_EQ(env().userDefaults->string("selectedPipeline"), step.selected);
    for (const char* id : {"pipeline.none", "pipeline.1", "pipeline.2"}) {
      EXPECT_EQ(item(id).checked, std::string(id) == step.checked) << id;
    }
    EXPECT_EQ(item("pipelines").title,
              L("pipelinesTitle") + " " + (step.selected.empty() ? L("notset") : L(step.selected)));
  }
}

TEST_F(MenuBarMenuTest, AnIdThatIsNotAnIntegerMarksNoPipeline) {
  env().userDefaults->setString("currentPipelineId", "2");
  start();
  EXPECT_FALSE(item("pipeline.2").checked);
}

TEST_F(MenuBarMenuTest, PipelineUpdatedTakesTheChosenPipelinesOwnNameAndRefreshes) {
  start();
  ASSERT_TRUE(choose("pipeline.2"));
  const int reads = pipelineReads;
  env().userDefaults->setString("pipelineName", "Translate");  // the settings' last choice: not ours
  pipelines[1].name = "Structure v2";
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::string selected;
    bool keepsId;
  };
  const Case cases[] = {
      {"renamed", [] {}, "Structure v2", true},
      {"notAnInteger", [this] { env().userDefaults->setString("currentPipelineId", "x"); }, "", false},
      {"deletedPipeline", [this] { env().userDefaults->setInteger("currentPipelineId", 99); }, "", true},
  };
  int refreshes = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange();
    const auto before = env().userDefaults->string("viewRefreshId");
    env().notificationCenter->post("PipelineUpdated");
    settle(0);
    ++refreshes;
    EXPECT_EQ(env().userDefaults->string("selectedPipeline"), c.selected);
    EXPECT_EQ(env().userDefaults->contains("currentPipelineId"), c.keepsId);
    EXPECT_NE(env().userDefaults->string("viewRefreshId"), before);
  }
  // The submenu re-reads the store once per new refresh token.
  (void)menu();
  EXPECT_GE(pipelineReads - reads, refreshes);
  const int afterRefresh = pipelineReads;
  env().userDefaults->setInteger("apiUsageCount", 3);
  settle(0);
  (void)menu();
  EXPECT_EQ(pipelineReads, afterRefresh);
}

TEST_F(MenuBarMenuTest, TheSpacebarSubmenuStoresTheChoiceAtOnce) {
  start();
  EXPECT_EQ(item("spacebar").title, L("spacebarTrigger") + " " + L("disabled"));
  EXPECT_EQ(item("spacebar").submenu.size(), 11u);
  EXPECT_TRUE(item("spacebar.disabled").checked);
  ASSERT_TRUE(shell->menuBarExtra()->choose("spacebar.EN"));
  EXPECT_EQ(env().userDefaults->string("SpecialKeyFeatureStatus"), "EN");  // inside the action
  settle(0);
  EXPECT_EQ(item("spacebar").title, L("spacebarTrigger") + L("translateTo") + " " + L("EN"));
  EXPECT_TRUE(item("spacebar.EN").checked);
  EXPECT_FALSE(item("spacebar.disabled").checked);
  ASSERT_TRUE(choose("spacebar.disabled"));
  EXPECT_EQ(env().userDefaults->string("SpecialKeyFeatureStatus"), "disabled");
}

TEST_F(MenuBarMenuTest, TheUpdateItemChecksThroughTheOneUpdater) {
  start();
  ASSERT_TRUE(choose("checkForUpdates"));
  ASSERT_TRUE(choose("checkForUpdates"));
  EXPECT_EQ(updater->checks, 2);
}

TEST_F(MenuBarMenuTest, TheOlderSystemsSwitchTurnsTheSpacebarTriggerItself) {
  env().systemVersion = {12, 0};
  auto changes = watchPosts("SpecialKeyFeatureStatusChanged");
  desktop().userNotificationCenter->setAuthorizationStatus(platform::AuthorizationStatus::authorized);
  start();
  const auto& status = *shell->delegate()->statusItem();
  EXPECT_EQ(status.title(), "Tessival");
  const auto first = status.menu();
  ASSERT_EQ(first.size(), 4u);
  EXPECT_TRUE(first[1].isDivider);
  EXPECT_EQ(first[2].title, L("settings"));
  EXPECT_EQ(first[3].title, L("exit"));

  struct Step {
    const char* status;    // "SpecialKeyFeatureStatus" after the switch
    const char* titleKey;  // the switch's title after it
    const char* symbol;
  };
  const Step steps[] = {{"EN", "spacebarTriggerEnabled", "checkmark.circle.fill"},
                        {"disabled", "spacebarTriggerDisabled", "xmark.circle.fill"},
                        {"FR", "spacebarTriggerEnabled", "checkmark.circle.fill"}};
  EXPECT_EQ(status.menu()[0].title, "\n" + L("spacebarTriggerDisabled"));
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    if (i == 2) {
      // Turned back on with the language last chosen.
      env().userDefaults->setString("SpecialKeyFeatureStatus", "FR");
      ASSERT_TRUE(status.choose("specialKey"));
      settle(0);
      ASSERT_TRUE(status.choose("specialKey"));
    } else {
      ASSERT_TRUE(status.choose("specialKey"));
    }
    settle(0);
    EXPECT_EQ(env().userDefaults->string("SpecialKeyFeatureStatus"), steps[i].status);
    EXPECT_EQ(status.menu()[0].title, "\n" + L(steps[i].titleKey));
    EXPECT_EQ(status.menu()[0].symbol, steps[i].symbol);
  }
  EXPECT_EQ(changes->size(), 4u);
  const auto requests = desktop().userNotificationCenter->requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].content.title, L("spacebarTrigger"));
  EXPECT_EQ(requests[0].content.body, L("spacebarTriggerEnabled"));
  EXPECT_EQ(requests[1].content.body, L("spacebarTriggerDisabled"));
}

}  // namespace
}  // namespace quellorin
