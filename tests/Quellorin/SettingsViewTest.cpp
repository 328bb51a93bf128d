#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Desktop/Simulated/LaunchAgentFile.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Settings/SettingsView.h"
#include "UI/HTMLRenderer.h"
#include "UI/Host.h"
#include "UI/Screenshot.h"
#include "tests/Quellorin/DesktopFixture.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"
// The guide window.
#include "Platform/Desktop/MediaPlayer.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowServer.h"
#include "Quellorin/Shell/OnboardingView.h"

namespace {

using quellorin::SettingsTab;
using quellorin::SettingsView;

class RecordingUpdater : public quellorin::UpdaterController {
 public:
  void startUpdater() override { ++starts; }
  void checkForUpdates() override { ++checks; }
  void setAutomaticallyChecksForUpdates(bool value) override { automatic = value; }
  int starts = 0;
  int checks = 0;
  bool automatic = false;
};

class SettingsViewTest : public testsupport::DesktopFixture {
 protected:
  SettingsViewTest() {
    launchAgent = std::make_shared<platform::LaunchAgentFile>(home.path());
    desktop().userNotificationCenter->setAuthorizationStatus(platform::AuthorizationStatus::authorized);
    // The appearance page applies the stored language when it appears; texts here are English.
    env().userDefaults->setString("Language", "en");
  }

  std::shared_ptr<SettingsView> makeView(bool environmentsLaunchAtLogin = false) {
    quellorin::SettingsServices services;
    services.store = &store;
    if (!environmentsLaunchAtLogin) services.launchAtLogin = launchAgent;
    services.fetchUserSubInfo = [this] { ++fetches; };
    services.makeUpdater = [this](const quellorin::UpdaterDelegate&) {
      auto updater = std::make_shared<RecordingUpdater>();
      updaters.push_back(updater);
      return updater;
    };
    return SettingsView::make(services);
  }

  // The view in a window of its own, evaluated and with its appear handlers run.
  std::shared_ptr<ui::Host> show(const std::shared_ptr<SettingsView>& view) {
    auto host = ui::Host::make(view);
    settle(0);
    return host;
  }

  void posted(const std::string& name) {
    auto center = platform::NotificationCenter::defaultCenter();
    auto seen = std::make_shared<std::vector<std::string>>();
    tokens.push_back(
        center->addObserver(name, platform::NotificationCenter::Delivery::postingThread,
                            [seen](const platform::Notification& n) { seen->push_back(n.name); }));
    observed.push_back(seen);
  }

  platform::RecordingAlertPresenter& alerts() {
    return dynamic_cast<platform::RecordingAlertPresenter&>(*env().alertPresenter);
  }

  std::optional<quellorin::Pipeline> pipelineNamed(const std::string& name) {
    for (auto& pipeline : store.getPipelines()) {
      if (pipeline.name == name) return pipeline;
    }
    return std::nullopt;
  }

  platform::UserDefaults& defaults() { return *env().userDefaults; }

  testsupport::TemporaryFolder home{"quellorin-settings-"};
  quellorin::DatabaseService store{home.path() / "db.sqlite3"};
  std::shared_ptr<platform::LaunchAgentFile> launchAgent;
  std::vector<std::shared_ptr<RecordingUpdater>> updaters;
  int fetches = 0;
  std::vector<platform::NotificationCenter::ObserverToken> tokens;
  std::vector<std::shared_ptr<std::vector<std::string>>> observed;
};

TEST_F(SettingsViewTest, AnEmptyStoreOpensOnTheAccountPageSignedOut) {
  auto view = makeView();
  auto host = show(view);
  EXPECT_EQ(*view->globalShortcut, "⌘ + ⇧ + ␣");
  EXPECT_FALSE(*view->isLoggedIn);
  EXPECT_EQ(*view->apiUsageCount, 0);
  EXPECT_EQ(*view->maxFastCount, "");
  EXPECT_FALSE(view->currentPipelineId->has_value());
  EXPECT_EQ(*view->selectedTab, SettingsTab::config);
  EXPECT_NE(host->find("login"), nullptr);
  EXPECT_EQ(host->find("logout"), nullptr);
  EXPECT_EQ(host->find("quality-count"), nullptr) << "the high-quality row is for signed-in users";
  EXPECT_EQ(host->find("fast-count")->text, "0 / ");
}

TEST_F(SettingsViewTest, AccountAndPipelineNotificationsReloadTheirFields) {
  struct Case {
    const char* notification;
    bool loggedIn;
  };
  for (const Case c : {Case{"UserSubscriptionInfoUpdated", false}, Case{"UserDidLogin", true}}) {
    defaults().remove("username");
    auto view = makeView();
    auto host = show(view);
    defaults().setString("username", "Ada");
    defaults().setInteger("qualityCount", 5);
    platform::NotificationCenter::defaultCenter()->post(c.notification);
    settle(0);
    EXPECT_EQ(*view->isLoggedIn, c.loggedIn) << c.notification;
    EXPECT_EQ(view->userInfo->at("username"), "Ada") << c.notification;
    EXPECT_EQ(*view->qualityCount, 5) << c.notification;
  }
  auto view = makeView();
  defaults().setString("currentPipelineId", "1");  // a text is no pipeline id
  platform::NotificationCenter::defaultCenter()->post("PipelineSelectionChanged");
  settle(0);
  EXPECT_FALSE(view->currentPipelineId->has_value());
}

TEST_F(SettingsViewTest, ChangeSettingsTabSelectsByCapitalisedName) {
  struct Case {
    std::optional<std::string> object;
    SettingsTab expected;
  };
  const std::vector<Case> cases = {
      {"general", SettingsTab::general},
      {"GENERAL", SettingsTab::general},
      {"config", SettingsTab::config},
      {"appearance", SettingsTab::appearance},
      {"applicationInfo", SettingsTab::appearance},  // matches no raw value: unchanged
      {"nonsense", SettingsTab::appearance},
      {std::nullopt, SettingsTab::appearance},
  };
  auto view = makeView();
  auto host = show(view);
  for (const auto& c : cases) {
    platform::NotificationCenter::defaultCenter()->post("ChangeSettingsTab", c.object);
    settle(0);
    EXPECT_EQ(*view->selectedTab, c.expected) << c.object.value_or("(none)");
  }
  EXPECT_TRUE(host->click("settings-tabs/applicationInfo"));
  EXPECT_EQ(*view->selectedTab, SettingsTab::applicationInfo);
}

TEST_F(SettingsViewTest, TheRecorderStoresOnlyShortcutsWithCommandOptionOrControl) {
  using ui::modifier::command, ui::modifier::shift, ui::modifier::option, ui::modifier::control;
  struct Case {
    const char* what;
    ui::KeyEvent key;
    std::string stored;  // "GlobalShortcut" afterwards
    bool stillRecording;
  };
  const std::string old = "⌃ + ⌥ + J";
  const std::vector<Case> cases = {
      {"command shift K", {40, "K", "k", command | shift}, "⌘ + ⇧ + K", false},
      {"option space", {49, " ", " ", option}, "⌥ + ␣", false},
      {"control with caps lock", {40, "k", "k", control | 0x10000}, "⌃ + K", false},
      {"plain letter", {40, "k", "k", 0}, old, true},
      {"shift alone", {40, "K", "k", shift}, old, true},
      {"return", {36, "\r", "\r", 0}, old, true},
      {"escape cancels", {53, "", "", 0}, old, false},
  };
  for (const auto& c : cases) {
    defaults().setString("GlobalShortcut", old);
    auto view = makeView();
    auto host = show(view);
    ASSERT_TRUE(host->click("shortcut"));
    settle(0);
    EXPECT_TRUE(view->isRecorderInstalled());
    EXPECT_EQ(host->key(c.key), ui::KeyRoute::monitor) << c.what << ": the key reaches no control";
    settle(0);
    EXPECT_EQ(defaults().string("GlobalShortcut").value_or(""), c.stored) << c.what;
    EXPECT_EQ(*view->globalShortcut, c.stored) << c.what;
    EXPECT_EQ(*view->isRecordingShortcut, c.stillRecording) << c.what;
    EXPECT_EQ(view->isRecorderInstalled(), c.stillRecording) << c.what;
    EXPECT_EQ(host->find("shortcut-cancel") != nullptr, c.stillRecording) << c.what;
  }
}

TEST_F(SettingsViewTest, CancelLeavesTheOldShortcutAndRemovesTheRecorder) {
  defaults().setString("GlobalShortcut", "⌘ + ⇧ + L");
  auto view = makeView();
  auto host = show(view);
  ASSERT_TRUE(host->click("shortcut"));
  ASSERT_TRUE(host->click("shortcut"));  // a second tap keeps one recorder
  settle(0);
  ASSERT_TRUE(host->click("shortcut-cancel"));
  settle(0);
  EXPECT_FALSE(view->isRecorderInstalled());
  EXPECT_EQ(host->key({40, "k", "k", ui::modifier::command}), ui::KeyRoute::unhandled);
  EXPECT_EQ(defaults().string("GlobalShortcut"), "⌘ + ⇧ + L");
}

TEST_F(SettingsViewTest, PipelineRowsShowTheirPromptsInOrder) {
  auto view = makeView();
  auto host = show(view);
  auto pipeline = pipelineNamed("Optimize expression");
  ASSERT_TRUE(pipeline && pipeline->id);
  const auto row = host->find("pipeline-" + std::to_string(*pipeline->id));
  ASSERT_NE(row, nullptr);
  std::vector<const ui::Node*> stack{row};
  std::vector<std::string> all;
  while (!stack.empty()) {
    const auto* node = stack.back();
    stack.pop_back();
    if (node->kind == ui::NodeKind::text) all.push_back(node->text);
    for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) stack.push_back(&*it);
  }
  EXPECT_NE(std::find(all.begin(), all.end(), "(Smooth wording → Structure → Add emojis)"), all.end())
      << ::testing::PrintToString(all);
}

TEST_F(SettingsViewTest, ChoosingAndClearingAPipelineWritesAndClearsItsKeys) {
  auto view = makeView();
  auto host = show(view);
  auto pipelines = store.getPipelines();
  ASSERT_GE(pipelines.size(), 2u);
  posted("PipelineUpdated");
  const auto rowOf = [](const quellorin::Pipeline& p) { return "pipeline-" + std::to_string(*p.id); };

  ASSERT_TRUE(host->click(rowOf(pipelines[0])));
  EXPECT_EQ(defaults().integer("currentPipelineId"), *pipelines[0].id);
  EXPECT_EQ(defaults().string("pipelineName"), pipelines[0].name);
  settle(0.29);
  EXPECT_TRUE(observed[0]->empty()) << "posted 0.3 s after the choice";
  settle(0.02);
  EXPECT_EQ(observed[0]->size(), 1u);

  ASSERT_TRUE(host->click(rowOf(pipelines[1])));
  EXPECT_EQ(defaults().integer("currentPipelineId"), *pipelines[1].id);
  EXPECT_EQ(defaults().string("pipelineName"), pipelines[1].name);

  ASSERT_TRUE(host->click(rowOf(pipelines[1])));
  EXPECT_FALSE(defaults().contains("currentPipelineId"));
  EXPECT_FALSE(defaults().contains("pipelineName")) << "the name goes with the choice";
  EXPECT_FALSE(view->currentPipelineId->has_value());
  settle(0.5);
  EXPECT_EQ(observed[0]->size(), 3u);
}

TEST_F(SettingsViewTest, DeletingAPipelineClearsTheChoiceOnlyWhenItWasTheCurrentOne) {
  struct Case {
    bool deleteCurrent;
  };
  for (const Case c : {Case{false}, Case{true}}) {
    auto pipelines = store.getPipelines();
    ASSERT_GE(pipelines.size(), 2u);
    defaults().setInteger("currentPipelineId", *pipelines[0].id);
    defaults().setString("selectedPipeline", pipelines[0].name);
    defaults().setString("pipelineName", pipelines[0].name);
    auto view = makeView();
    auto host = show(view);
    const auto& victim = c.deleteCurrent ? pipelines[0] : pipelines[1];
    const auto trash = "pipeline-delete-" + std::to_string(*victim.id);
    EXPECT_EQ(host->find(trash)->modifiers.opacity, 0) << "invisible until hovered";
    host->hover("pipeline-" + std::to_string(*victim.id), true);
    settle(0);
    EXPECT_EQ(host->find(trash)->modifiers.opacity, 1);
    ASSERT_TRUE(host->click(trash));
    settle(0);
    EXPECT_EQ(view->pipelines->size(), pipelines.size() - 1);
    for (const char* key : {"currentPipelineId", "selectedPipeline", "pipelineName"}) {
      EXPECT_EQ(defaults().contains(key), !c.deleteCurrent) << key;
    }
    EXPECT_EQ(view->currentPipelineId->has_value(), !c.deleteCurrent);
  }
}

TEST_F(SettingsViewTest, SignOutRemovesExactlyThreeKeysAndFetchesWithoutAToken) {
  for (const char* key : {"SessionToken", "userId", "username", "email", "maxFastCount"}) {
    defaults().setString(key, std::string("value of ") + key);
  }
  defaults().setInteger("tokenExpireAt", 4'102'444'800);  // 2100
  defaults().setInteger("apiUsageCount", 7);
  auto before = defaults().dictionaryRepresentation();
  auto view = makeView();
  auto host = show(view);
  ASSERT_TRUE(*view->isLoggedIn);
  const int fetchesBefore = fetches;
  ASSERT_TRUE(host->click("logout"));
  settle(0);
  auto after = defaults().dictionaryRepresentation();
  for (const char* key : {"SessionToken", "tokenExpireAt", "userId"}) EXPECT_EQ(before.erase(key), 1u) << key;
  EXPECT_EQ(after, before);
  EXPECT_EQ(fetches, fetchesBefore + 1);
  EXPECT_FALSE(*view->isLoggedIn);
  EXPECT_NE(host->find("login"), nullptr);
}

TEST(TokenExpiryTest, ReadsDatesAndNumbersAndTreatsMissingAsUnknown) {
  using quellorin::TokenExpiry;
  const double now = 1'800'000'000;
  const auto date = [](double seconds) {
    return platform::DefaultsValue(
        platform::DefaultsDate(std::chrono::duration_cast<platform::DefaultsDate::duration>(
            std::chrono::duration<double>(seconds))));
  };
  struct Case {
    const char* what;
    std::optional<platform::DefaultsValue> stored;
    TokenExpiry expected;
  };
  const std::vector<Case> cases = {
      {"missing", std::nullopt, TokenExpiry::unknown},
      {"zero from a profile without exp", platform::DefaultsValue(std::int64_t{0}), TokenExpiry::unknown},
      {"text", platform::DefaultsValue(std::string("soon")), TokenExpiry::unknown},
      {"date a week ahead", date(now + 7 * 86400), TokenExpiry::valid},
      {"date passed", date(now - 1), TokenExpiry::expired},
      {"seconds ahead", platform::DefaultsValue(std::int64_t{1'800'000'100}), TokenExpiry::valid},
      {"seconds passed", platform::DefaultsValue(std::int64_t{1'799'999'999}), TokenExpiry::expired},
      {"milliseconds ahead", platform::DefaultsValue(std::int64_t{1'800'000'100'000}), TokenExpiry::valid},
      {"milliseconds passed", platform::DefaultsValue(std::int64_t{1'799'999'999'000}), TokenExpiry::expired},
      {"double seconds ahead", platform::DefaultsValue(1'800'000'100.0), TokenExpiry::valid},
  };
  for (const auto& c : cases) EXPECT_EQ(quellorin::tokenExpiry(c.stored, now), c.expected) << c.what;
}

TEST_F(SettingsViewTest, TheAccountSectionChecksTheExpiryWhenItAppears) {
  struct Case {
    const char* what;
    std::optional<platform::DefaultsValue> expiry;
    bool loggedIn;
    bool tokenKept;
    std::size_t alerts;
  };
  const double now = virtualEnvironment.clock().wallTime();
  const auto date = platform::DefaultsDate(std::chrono::duration_cast<platform::DefaultsDate::duration>(
      std::chrono::duration<double>(now + 7 * 86400)));
  const std::vector<Case> cases = {
      {"date right after login", platform::DefaultsValue(date), true, true, 0},
      {"no expiry", std::nullopt, true, true, 0},
      {"zero", platform::DefaultsValue(std::int64_t{0}), true, true, 0},
      {"expired number", platform::DefaultsValue(static_cast<std::int64_t>(now) - 10), false, false, 1},
  };
  for (const auto& c : cases) {
    defaults().setString("SessionToken", "token");
    if (c.expiry) {
      defaults().set("tokenExpireAt", *c.expiry);
    } else {
      defaults().remove("tokenExpireAt");
    }
    const auto alertsBefore = alerts().shownAlerts().size();
    auto view = makeView();
    auto host = show(view);
    EXPECT_EQ(*view->isLoggedIn, c.loggedIn) << c.what;
    EXPECT_EQ(defaults().contains("SessionToken"), c.tokenKept) << c.what;
    EXPECT_EQ(alerts().shownAlerts().size() - alertsBefore, c.alerts) << c.what;
  }
}

TEST(LaunchAgentFileTest, ThePropertyListIsExactAndThePathEscaped) {
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n"
      "<dict>\n"
      "    <key>Label</key>\n"
      "    <string>com.tarvenix.Quellorin.launchagent</string>\n"
      "    <key>ProgramArguments</key>\n"
      "    <array>\n"
      "        <string>/Apps/R&amp;D &lt;new&gt;.app/Contents/MacOS/quellorin</string>\n"
      "    </array>\n"
      "    <key>RunAtLoad</key>\n"
      "    <true/>\n"
      "    <key>KeepAlive</key>\n"
      "    <false/>\n"
      "    <key>LimitLoadToSessionType</key>\n"
      "    <string>Aqua</string>\n"
      "</dict>\n"
      "</plist>";
  EXPECT_EQ(platform::LaunchAgentFile::propertyListText("/Apps/R&D <new>.app/Contents/MacOS/quellorin"),
            expected);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(SettingsViewTest, TheSwitchWritesAndRemovesTheLaunchAgent) {
  auto view = makeView();
  auto host = show(view);
  ASSERT_FALSE(std::filesystem::exists(home.path() / "Library")) << "the folder is made when needed";
  ASSERT_TRUE(host->click("launch-at-startup"));
  settle(0);
  EXPECT_TRUE(defaults().bool_("LaunchAtStartup"));
  EXPECT_EQ(readFile(launchAgent->path()),
            platform::LaunchAgentFile::propertyListText(SettingsView::executablePath()));
  EXPECT_EQ(SettingsView::executablePath(),
            platform::Bundle::main()->bundlePath().string() + "/Contents/MacOS/quellorin");
  auto requests = desktop().userNotificationCenter->requests();
  ASSERT_EQ(requests.size(), 1u);

  ASSERT_TRUE(host->click("launch-at-startup"));
  settle(0);
  EXPECT_FALSE(defaults().bool_("LaunchAtStartup"));
  EXPECT_FALSE(std::filesystem::exists(launchAgent->path()));
  EXPECT_EQ(desktop().userNotificationCenter->requests().size(), 2u);

  view->onLaunchAtStartupChanged(false);  // the file is gone already: nothing to say
  EXPECT_EQ(desktop().userNotificationCenter->requests().size(), 2u);
}

TEST_F(SettingsViewTest, AFailedWriteTurnsTheSwitchBackOffWithAMessage) {
  std::ofstream(home.path() / "Library") << "a file where the folder would go";
  auto view = makeView();
  auto host = show(view);
  ASSERT_TRUE(host->click("launch-at-startup"));
  settle(0);
  EXPECT_FALSE(*view->launchAtStartup);
  EXPECT_FALSE(defaults().bool_("LaunchAtStartup"));
  EXPECT_FALSE(host->find("launch-at-startup")->boolBinding.get());
  EXPECT_EQ(alerts().shownAlerts().size(), 1u);
  EXPECT_TRUE(desktop().userNotificationCenter->requests().empty());
}

TEST_F(SettingsViewTest, TheEnvironmentsLaunchAtLoginIsUsedAndItsAbsenceIsReported) {
  testsupport::ScopedEnvironmentVariable homeVariable("HOME", home.path().c_str());
  {
    auto view = makeView(true);
    auto host = show(view);
    ASSERT_TRUE(host->click("launch-at-startup"));
    EXPECT_TRUE(std::filesystem::is_regular_file(launchAgent->path()))
        << "the simulated desktop's agent, in HOME";
    ASSERT_TRUE(host->click("launch-at-startup"));
    EXPECT_FALSE(std::filesystem::exists(launchAgent->path()));
  }
  env().launchAtLogin.reset();  // a desktop without an implementation
  auto view = makeView(true);
  auto host = show(view);
  ASSERT_TRUE(host->click("launch-at-startup"));
  settle(0);
  EXPECT_FALSE(*view->launchAtStartup);
  EXPECT_FALSE(defaults().bool_("LaunchAtStartup"));
  EXPECT_EQ(alerts().shownAlerts().size(), 1u);
}

TEST_F(SettingsViewTest, ThemeCardsAndTheLanguagePickerStoreTheirChoice) {
  auto view = makeView();
  auto host = show(view);
  posted("languageChanged");
  ASSERT_TRUE(host->click("settings-tabs/appearance"));
  settle(0);
  EXPECT_EQ(defaults().string("Language"), "en") << "opening the page applies the language";
  EXPECT_EQ(host->find("appearance-light")->modifiers.background, ui::Color::clear())
      << "\"system\" matches no card";
  struct Case {
    const char* id;
    const char* stored;
  };
  for (const Case& c : {Case{"appearance-light", "light"}, Case{"appearance-caption-dark", "dark"},
                        Case{"appearance-dark", "dark"}, Case{"appearance-auto", "auto"}}) {
    ASSERT_TRUE(host->click(c.id));
    settle(0);
    EXPECT_EQ(defaults().string("Appearance"), c.stored);
    EXPECT_NE(host->find(std::string("appearance-") + c.stored)->modifiers.background, ui::Color::clear());
  }
  ASSERT_TRUE(host->select("language", "jp"));
  settle(0);
  EXPECT_EQ(defaults().string("Language"), "jp");
  EXPECT_EQ(observed[0]->size(), 1u);
  platform::Bundle::setLanguage("en");
}

TEST_F(SettingsViewTest, OneUpdaterIsStartedOnceAndReappearingKeepsTheSubscriptions) {
  auto view = makeView();
  auto host = show(view);
  ASSERT_EQ(updaters.size(), 1u);
  view->onDisappearCleanup();
  EXPECT_TRUE(updaters[0]->automatic);
  view->onAppearSetup();
  EXPECT_EQ(updaters.size(), 1u);
  EXPECT_EQ(updaters[0]->starts, 1);

  ASSERT_TRUE(host->click("settings-tabs/applicationInfo"));
  settle(0);
  ASSERT_TRUE(host->click("check-for-updates"));
  ASSERT_TRUE(host->click("check-for-updates"));
  EXPECT_EQ(updaters[0]->starts, 1);
  EXPECT_EQ(updaters[0]->checks, 2);

  // After disappearing, the usage observer added on appearing is gone, and the window's own
  // subscriptions still answer.
  view->onDisappearCleanup();
  defaults().setInteger("apiUsageCount", 41);
  platform::NotificationCenter::defaultCenter()->post("ApiUsageCountUpdated");
  settle(0);
  EXPECT_EQ(*view->apiUsageCount, 0);
  platform::NotificationCenter::defaultCenter()->post("ChangeSettingsTab", std::string("general"));
  settle(0);
  EXPECT_EQ(*view->selectedTab, SettingsTab::general);
  view->onAppearSetup();
  platform::NotificationCenter::defaultCenter()->post("ApiUsageCountUpdated");
  settle(0);
  EXPECT_EQ(*view->apiUsageCount, 41);
}

TEST_F(SettingsViewTest, TheInformationPageShowsVersionAndPermission) {
  struct Case {
    bool trusted;
    const char* permissionKey;
  };
  for (const Case c : {Case{true, "authorized"}, Case{false, "unauthorized"}}) {
    desktop().accessibility->setProcessTrusted(c.trusted);
    auto view = makeView();
    auto host = show(view);
    EXPECT_EQ(host->find("version")->text, "0.1.0");
    EXPECT_EQ(host->find("permission")->text, platform::localizedString(c.permissionKey));
    EXPECT_EQ(host->find("system-preferences") != nullptr, !c.trusted);
    if (!c.trusted) {
      ASSERT_TRUE(host->click("system-preferences"));
      EXPECT_EQ(desktop().workspace->openedURLs().back(), SettingsView::accessibilityPane);
    }
  }
}

class SettingsScreenshotIntegrationTest : public testsupport::DesktopFixture {};

TEST_F(SettingsScreenshotIntegrationTest, WritesEveryPageSignedInAndOutInLightAndDark) {
  testsupport::TemporaryFolder home("quellorin-settings-shots-");
  quellorin::DatabaseService store(home.path() / "db.sqlite3");
  const auto folder = std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots";
  env().userDefaults->setString("Language", "en");
  for (bool signedIn : {false, true}) {
    if (signedIn) {
      env().userDefaults->setString("SessionToken", "token");
      env().userDefaults->setString("username", "Ada");
      env().userDefaults->setString("email", "ada@example.com");
      env().userDefaults->setString("subscriptionVersion", "Pro");
      env().userDefaults->setString("maxFastCount", "500");
      env().userDefaults->setInteger("apiUsageCount", 42);
      env().userDefaults->setInteger("qualityCount", 3);
      env().userDefaults->setInteger("maxSubCount", 50);
    }
    quellorin::SettingsServices services;
    services.store = &store;
    services.fetchUserSubInfo = [] {};
    services.launchAtLogin = std::make_shared<platform::LaunchAgentFile>(home.path());
    auto view = quellorin::SettingsView::make(services);
    auto host = ui::Host::make(view, {450, ui::ColorScheme::light});
    settle(0);
    for (auto tab : {quellorin::SettingsTab::general, quellorin::SettingsTab::config,
                     quellorin::SettingsTab::appearance, quellorin::SettingsTab::applicationInfo}) {
      view->selectedTab.set(tab);
      settle(0);
      for (auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
        const std::string name = "settings-" + std::string(quellorin::tag(tab)) +
                                 (signedIn ? "-signed-in" : "-signed-out") +
                                 (scheme == ui::ColorScheme::light ? "-light" : "-dark") + ".png";
        const auto png = folder / name;
        ASSERT_TRUE(
            ui::screenshotHTML(ui::renderHTML(host->tree(), {scheme, 450, "Settings"}), png, {450, 420, 60}))
            << png;
        std::ifstream file(png, std::ios::binary);
        char signature[8] = {};
        file.read(signature, 8);
        EXPECT_EQ(std::string(signature + 1, 3), "PNG") << name;
      }
    }
  }
}

TEST_F(SettingsViewTest, TheGuideRowOpensOneVideoWindowAndANewOneAfterItsClose) {
  auto view = makeView();
  auto host = show(view);
  ASSERT_TRUE(host->click("guide-video"));
  ASSERT_TRUE(host->click("guide-video"));
  const auto& guide = view->guideWindow();
  ASSERT_TRUE(guide && guide->isOpen());
  const auto first = guide->window();
  EXPECT_EQ(env().windowServer->windows(), std::vector<std::shared_ptr<platform::Window>>{first});
  EXPECT_EQ(first->title(), platform::localizedString("guideVideo"));
  const auto player = guide->view()->player();
  first->close();  // stops its videos for good: the next click makes a new guide
  EXPECT_FALSE(player->isPlaying());
  ASSERT_TRUE(host->click("guide-video"));
  EXPECT_NE(guide->window(), first);
  EXPECT_TRUE(guide->view()->player()->isPlaying());
}

}  // namespace
