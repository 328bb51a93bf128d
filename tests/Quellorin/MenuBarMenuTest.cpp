#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Desktop/WindowServer.h"
#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "Quellorin/Settings/SettingsWindow.h"
#include "settings_access/OpenSettingsAccessAction.h"
#include "settings_access/OpenSettingsErrors.h"
#include "settings_access/OpenSettingsInjectionView.h"
#include "settings_access/SettingsLink.h"
#include "ShellFixture.h"

namespace quellorin {
namespace {

class MenuBarMenuTest : public testsupport::ShellFixture {
 protected:
  MenuBarMenuTest() {
    env().userDefaults->setBool("hasSeenOnboarding", true);
    pipelines = {{1, "Translate", {}}, {2, "Structure", {}}};
  }

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

  // The settings windows on screen.
  std::vector<std::shared_ptr<platform::Window>> settingsWindows() {
    std::vector<std::shared_ptr<platform::Window>> found;
    for (const auto& window : env().windowServer->windows())
      if (window->identifier() == SettingsWindow::identifier && window->isVisible()) found.push_back(window);
    return found;
  }
  SettingsView& settingsView() {
    return dynamic_cast<SettingsView&>(*shell->settingsWindow()->host()->root());
  }

  std::vector<ui::MenuItem> items;
};

TEST_F(MenuBarMenuTest, TheMenuHasItsEntriesAndItsAccountRowFollowsTheSession) {
  const struct {
    std::optional<std::string> token;
    std::optional<std::string> username;
    std::string title;  // a key when it starts with '@'
  } cases[] = {{std::nullopt, "ann", "@login"},
               {"t0k", "ann", "ann"},
               {"", "ann", "ann"},  // an empty token still counts
               {"t0k", std::nullopt, "@notset"},
               {"t0k", "", "@notset"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    auto& store = *env().userDefaults;
    store.remove("SessionToken");
    store.remove("username");
    if (c.token) store.setString("SessionToken", *c.token);
    if (c.username) store.setString("username", *c.username);
    start();
    EXPECT_EQ(item("account").title, c.title[0] == '@' ? L(c.title.substr(1)) : c.title);
    EXPECT_EQ(store.string("username"), c.username) << "the placeholder is shown, never stored";
    if (c.token) {
      store.remove("SessionToken");  // as the service client does on a 401
      settle(0);
      EXPECT_EQ(item("account").title, L("login"));
    }
    shell.reset();
  }
  start();
  std::vector<std::string> ids;
  for (const auto& entry : menu()) ids.push_back(entry.isDivider ? "-" : entry.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"account", "usage", "pipelines", "spacebar", "-", "settings",
                                           "checkForUpdates", "exit"}));
  EXPECT_EQ(shell->menuBarExtra()->extra().symbol, "sparkles");
  ASSERT_TRUE(choose("account"));  // signed out: the login page
  const auto opened = desktop().workspace->openedURLs();
  EXPECT_EQ(std::count_if(opened.begin(), opened.end(),
                          [](const std::string& url) { return url.ends_with("/auth/login?callback=macos"); }),
            1);
}

struct VersionCase {
  int major;
  bool hasMenuBarExtra;
  bool hasStatusItem;
};

class MenuVersionTest : public MenuBarMenuTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(MenuVersionTest, EachSystemOpensTheOneSettingsWindowFromEveryItem) {
  env().systemVersion = {GetParam().major, 0};
  env().userDefaults->setString("SessionToken", "t0k");
  auto tabs = watchPosts("ChangeSettingsTab");
  auto opens = watchPosts("OpenSetting");
  start();
  EXPECT_EQ(shell->menuBarExtra().has_value(), GetParam().hasMenuBarExtra);
  EXPECT_EQ(shell->delegate()->statusItem() != nullptr, GetParam().hasStatusItem);
  EXPECT_TRUE(settingsWindows().empty());
  if (!GetParam().hasMenuBarExtra) {
    ASSERT_TRUE(shell->delegate()->statusItem()->choose("settings"));
    settle(0);
    EXPECT_EQ(settingsWindows().size(), 1u);
    return;
  }
  ASSERT_TRUE(choose("account"));
  ASSERT_EQ(settingsWindows().size(), 1u);
  const auto first = settingsWindows().front();
  EXPECT_EQ(env().windowServer->keyWindow(), first);
  EXPECT_EQ(first->frame().width, SettingsWindow::width);
  EXPECT_EQ(*tabs, (std::vector<std::optional<std::string>>{"config"}));
  EXPECT_EQ(opens->size(), 1u);
  EXPECT_TRUE(env().windowServer->isApplicationActive());
  EXPECT_EQ(settingsView().selectedTab.get(), SettingsTab::config);
  const auto scene = shell->app()->settingsScene();
  EXPECT_EQ(scene.environment.get<LanguageManager>(), shell->app()->languageManager());
  EXPECT_EQ(scene.environment.get<AppearanceManager>(), shell->app()->appearanceManager());
  // Appearing fetched the usage and started the updater; closing turns its automatic checks on.
  EXPECT_GE(settingsFetches, 1);
  EXPECT_EQ(settingsUpdater->starts, 1);
  first->close();
  EXPECT_TRUE(settingsUpdater->automatic);

  ASSERT_TRUE(choose("pipeline.settings"));  // on every system, the pipelines' settings item opens them
  ASSERT_EQ(settingsWindows().size(), 1u);
  EXPECT_NE(settingsWindows().front(), first);
  settle(0.3);
  EXPECT_EQ(tabs->back(), "general");
  EXPECT_EQ(settingsView().selectedTab.get(), SettingsTab::general);
  ASSERT_TRUE(choose("settings"));
  EXPECT_EQ(settingsWindows().size(), 1u);
  EXPECT_EQ(opens->size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Systems, MenuVersionTest,
                         ::testing::Values(VersionCase{12, false, true}, VersionCase{13, true, false},
                                           VersionCase{14, true, false}, VersionCase{15, true, false}),
                         [](const auto& testCase) { return "macOS" + std::to_string(testCase.param.major); });

class GearView : public ui::View {
 public:
  ui::Node body() override {
    return settings_access::settingsLink("gear", ui::Text("gear"), nullptr, nullptr);
  }
};

// The settings module's roads reach the shell's one window: its link (from system 14 on) or the
// settings selectors (below), and the action called from code.
TEST_F(MenuBarMenuTest, TheSettingsModuleOpensTheShellsWindowOnEverySystem) {
  for (const int major : {13, 14}) {
    SCOPED_TRACE(major);
    env().systemVersion = {major, 0};
    start();
    auto gear = ui::Host::make(std::make_shared<GearView>());
    ASSERT_TRUE(gear->click("gear"));
    settle(0);
    ASSERT_EQ(settingsWindows().size(), 1u);
    settingsWindows().front()->close();

    auto action = settings_access::OpenSettingsAccessAction::make();
    ui::EnvironmentObjects objects;
    objects.set(action);
    auto injected =
        ui::Host::make(settings_access::openSettingsAccess(std::make_shared<GearView>()), {}, objects);
    settle(0);  // the hidden link hands its trigger over after the evaluation
    (*action)();
    ASSERT_EQ(settingsWindows().size(), 1u);
    settingsWindows().front()->close();
    shell.reset();  // takes its roads back: nothing opens, and below 14 the action says why
    if (major < 14) {
      EXPECT_THROW((*action)(), settings_access::OpenSettingsFailure);
    } else {
      (*action)();
    }
    EXPECT_TRUE(settingsWindows().empty());
  }
}

TEST_F(MenuBarMenuTest, AFirstLaunchStoresTheMenuDefaultsAndTheUsageRowFollowsTheStore) {
  start();
  auto& store = *env().userDefaults;
  EXPECT_EQ(shell->app()->selectedOption(), "disabled");
  EXPECT_EQ(store.object("isLoggedIn"), platform::DefaultsValue(false));
  EXPECT_EQ(store.object("apiUsageCount"), platform::DefaultsValue(std::int64_t{0}));
  EXPECT_EQ(store.string("selectedPipeline"), "");
  EXPECT_EQ(item("usage").title, L("fastAPIRequests") + ": 0 / ");
  store.setInteger("apiUsageCount", 12);
  store.setString("maxFastCount", "50");
  env().notificationCenter->post("UserInfoChanged");
  settle(0);
  EXPECT_EQ(item("usage").title, L("fastAPIRequests") + ": 12 / 50");
}

TEST_F(MenuBarMenuTest, ChoosingPipelinesMarksThemAndPostsLater) {
  auto changes = watchPosts("PipelineSelectionChanged");
  start();
  EXPECT_EQ(item("pipelines").title, L("pipelinesTitle") + " " + L("notset"));
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
  ASSERT_EQ(status.menu().size(), 4u);
  EXPECT_EQ(status.menu()[0].title, "\n" + L("spacebarTriggerDisabled"));
  // On (English at first), off; then, with French chosen elsewhere, off and on again: French.
  const std::pair<const char*, const char*> steps[] = {{"EN", "spacebarTriggerEnabled"},
                                                       {"disabled", "spacebarTriggerDisabled"},
                                                       {"disabled", "spacebarTriggerDisabled"},
                                                       {"FR", "spacebarTriggerEnabled"}};
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const auto& [stored, titleKey] = steps[i];
    SCOPED_TRACE(i);
    if (i == 2) env().userDefaults->setString("SpecialKeyFeatureStatus", "FR");
    ASSERT_TRUE(status.choose("specialKey"));
    settle(0);
    EXPECT_EQ(env().userDefaults->string("SpecialKeyFeatureStatus"), stored);
    EXPECT_EQ(status.menu()[0].title, "\n" + L(titleKey));
    EXPECT_EQ(status.menu()[0].symbol,
              std::string(stored) == "disabled" ? "xmark.circle.fill" : "checkmark.circle.fill");
  }
  EXPECT_EQ(changes->size(), 4u);
  std::vector<std::string> bodies;
  for (const auto& request : desktop().userNotificationCenter->requests())
    if (request.content.title == L("spacebarTrigger")) bodies.push_back(request.content.body);
  const auto on = L("spacebarTriggerEnabled"), off = L("spacebarTriggerDisabled");
  EXPECT_EQ(bodies, (std::vector<std::string>{on, off, off, on}));
}

}  // namespace
}  // namespace quellorin
