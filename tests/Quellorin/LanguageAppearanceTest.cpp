#include <gtest/gtest.h>

#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "ShellFixture.h"

namespace quellorin {
namespace {

class LanguageManagerTest : public testsupport::ShellFixture {};

TEST_F(LanguageManagerTest, WithNothingOrAPathStoredItIsChineseAndWritesNothing) {
  auto posts = watchPosts(LanguageManager::languageChanged);
  for (const char* stored : {static_cast<const char*>(nullptr), "../Resources/en"}) {
    if (stored) env().userDefaults->setString("Language", stored);
    LanguageManager manager;
    EXPECT_EQ(manager.currentLanguage(), "zh");
    EXPECT_EQ(platform::localizedString("close"), "关闭");
    EXPECT_EQ(env().userDefaults->string("Language"),
              stored ? std::optional<std::string>(stored) : std::nullopt);
  }
  EXPECT_TRUE(posts->empty());
}

TEST_F(LanguageManagerTest, StoresSwitchesAndPostsOnlyForALanguageFolder) {
  const struct {
    const char* code;
    bool accepted;
    const char* closeText;  // the text of "close" afterwards
  } cases[] = {{"fr", true, "Fermer"},     {"en", true, "Close"},
               {"jp", true, "閉じる"},  // again: posted again
               {"zh", true, "关闭"},       {"../x", false, "閉じる"},
               {"../en", false, "閉じる"}, {"en/../fr", false, "閉じる"},
               {"de", false, "閉じる"},    {"", false, "閉じる"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    env().userDefaults->setString("Language", "jp");
    LanguageManager manager;
    auto posts = watchPosts(LanguageManager::languageChanged);
    EXPECT_EQ(manager.setCurrentLanguage(c.code), c.accepted);
    EXPECT_EQ(env().userDefaults->string("Language"), c.accepted ? c.code : "jp");
    EXPECT_EQ(manager.currentLanguage(), c.accepted ? c.code : "jp");
    EXPECT_EQ(posts->size(), c.accepted ? 1u : 0u);
    EXPECT_EQ(platform::localizedString("close"), c.closeText);
  }
}

TEST_F(LanguageManagerTest, TheMenuFollowsTheLanguage) {
  env().userDefaults->setBool("hasSeenOnboarding", true);
  start();
  shell->app()->languageManager()->setCurrentLanguage("fr");
  settle(0);
  const auto items = shell->menuBarExtra()->menu();
  EXPECT_EQ(ui::findMenuItem(items, "exit")->title, "Quitter Quellorin");
}

class AppearanceManagerTest : public testsupport::ShellFixture {};

TEST_F(AppearanceManagerTest, StoresEveryValueAndAppliesTheFourItKnows) {
  const struct {
    const char* value;
    std::optional<ui::ColorScheme> expected;  // none: follows the system
    bool changesScheme;
  } cases[] = {{"dark", ui::ColorScheme::dark, true}, {"light", ui::ColorScheme::light, true},
               {"auto", std::nullopt, true},          {"system", std::nullopt, true},
               {"Dark", std::nullopt, false},         {"", std::nullopt, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    env().userDefaults->remove("Appearance");
    auto application = Application::make();
    application->setAppearance(ui::ColorScheme::dark);
    AppearanceManager manager;  // nothing stored: follows the system
    EXPECT_EQ(manager.selectedAppearance(), "system");
    EXPECT_FALSE(application->appearance());
    application->setAppearance(ui::ColorScheme::light);
    manager.setSelectedAppearance(c.value);
    EXPECT_EQ(env().userDefaults->string("Appearance"), c.value);
    EXPECT_EQ(application->appearance(),
              c.changesScheme ? c.expected : std::optional<ui::ColorScheme>(ui::ColorScheme::light));
  }
}

TEST_F(AppearanceManagerTest, WithoutAnApplicationTheValueIsStoredAndTheSkipLogged) {
  AppearanceManager manager;
  manager.setSelectedAppearance("dark");
  EXPECT_EQ(env().userDefaults->string("Appearance"), "dark");
  EXPECT_TRUE(log.contains("NSApp is nil, skipping appearance application"));
}

TEST_F(AppearanceManagerTest, OpenWindowsRedrawInTheChosenScheme) {
  start();
  auto host = shell->delegate()->onboardingHost();
  EXPECT_EQ(host->options().colorScheme, ui::ColorScheme::light);
  const auto renders = host->renderCount();
  shell->app()->appearanceManager()->setSelectedAppearance("dark");
  settle(0);
  EXPECT_EQ(host->options().colorScheme, ui::ColorScheme::dark);
  EXPECT_EQ(shell->menuBarExtra()->host()->options().colorScheme, ui::ColorScheme::dark);
  EXPECT_GT(host->renderCount(), renders);
  shell->app()->appearanceManager()->setSelectedAppearance("auto");
  shell->application()->setSystemColorScheme(ui::ColorScheme::dark);
  EXPECT_EQ(host->options().colorScheme, ui::ColorScheme::dark);
  shell->delegate()->onboardingWindow()->close();
}

}  // namespace
}  // namespace quellorin
