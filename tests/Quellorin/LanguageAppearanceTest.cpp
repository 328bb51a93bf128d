#include <gtest/gtest.h>

#include "Quellorin/Shell/AppearanceManager.h"
#include "Quellorin/Shell/LanguageManager.h"
#include "ShellFixture.h"

namespace quellorin {
namespace {

class LanguageManagerTest : public testsupport::ShellFixture {};

TEST_F(LanguageManagerTest, WithNothingStoredItIsChineseAndWritesNothing) {
  auto posts = watchPosts(LanguageManager::languageChanged);
  LanguageManager manager;
  EXPECT_EQ(manager.currentLanguage(), "zh");
  EXPECT_EQ(platform::localizedString("close"), "关闭");
  EXPECT_FALSE(env().userDefaults->contains("Language"));
  EXPECT_TRUE(posts->empty());
}

struct LanguageCase {
  const char* code;
  bool accepted;
  const char* closeText;  // the text of "close" afterwards
};

class LanguageSwitchTest : public LanguageManagerTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageSwitchTest, StoresSwitchesAndPostsOnlyForALanguageFolder) {
  const auto& c = GetParam();
  env().userDefaults->setString("Language", "jp");
  LanguageManager manager;
  auto posts = watchPosts(LanguageManager::languageChanged);
  EXPECT_EQ(manager.setCurrentLanguage(c.code), c.accepted);
  EXPECT_EQ(env().userDefaults->string("Language"), c.accepted ? c.code : "jp");
  EXPECT_EQ(manager.currentLanguage(), c.accepted ? c.code : "jp");
  EXPECT_EQ(posts->size(), c.accepted ? 1u : 0u);
  EXPECT_EQ(platform::localizedString("close"), c.closeText);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LanguageSwitchTest,
    ::testing::Values(LanguageCase{"fr", true, "Fermer"}, LanguageCase{"en", true, "Close"},
                      LanguageCase{"jp", true, "閉じる"},  // the same again: posted again
                      LanguageCase{"zh", true, "关闭"}, LanguageCase{"../x", false, "閉じる"},
                      LanguageCase{"../en", false, "閉じる"}, LanguageCase{"en/../fr", false, "閉じる"},
                      LanguageCase{"de", false, "閉じる"}, LanguageCase{"", false, "閉じる"}),
    [](const auto& testCase) { return "case" + std::to_string(testCase.index); });

TEST_F(LanguageManagerTest, AStoredPathIsNotFollowed) {
  env().userDefaults->setString("Language", "../Resources/en");
  LanguageManager manager;
  EXPECT_EQ(manager.currentLanguage(), "zh");
  EXPECT_EQ(platform::localizedString("close"), "关闭");
}

TEST_F(LanguageManagerTest, TheMenuFollowsTheLanguage) {
  env().userDefaults->setBool("hasSeenOnboarding", true);
  start();
  shell->app()->languageManager()->setCurrentLanguage("fr");
  settle(0);
  const auto items = shell->menuBarExtra()->menu();
  EXPECT_EQ(ui::findMenuItem(items, "exit")->title, "Quitter Quellorin");
}

struct AppearanceCase {
  const char* value;
  std::optional<ui::ColorScheme> expected;  // none: follows the system
  bool changesScheme;
};

class AppearanceTest : public testsupport::ShellFixture,
                       public ::testing::WithParamInterface<AppearanceCase> {};

TEST_P(AppearanceTest, StoresEveryValueAndAppliesTheFourItKnows) {
  const auto& c = GetParam();
  auto application = Application::make();
  application->setAppearance(ui::ColorScheme::dark);
  AppearanceManager manager;  // nothing stored: follows the system
  EXPECT_EQ(manager.selectedAppearance(), "system");
  EXPECT_FALSE(application->appearance());
  EXPECT_FALSE(env().userDefaults->contains("Appearance"));
  application->setAppearance(ui::ColorScheme::light);
  manager.setSelectedAppearance(c.value);
  EXPECT_EQ(env().userDefaults->string("Appearance"), c.value);
  EXPECT_EQ(manager.selectedAppearance(), c.value);
  EXPECT_EQ(application->appearance(),
            c.changesScheme ? c.expected : std::optional<ui::ColorScheme>(ui::ColorScheme::light));
}

INSTANTIATE_TEST_SUITE_P(Values, AppearanceTest,
                         ::testing::Values(AppearanceCase{"dark", ui::ColorScheme::dark, true},
                                           AppearanceCase{"light", ui::ColorScheme::light, true},
                                           AppearanceCase{"auto", std::nullopt, true},
                                           AppearanceCase{"system", std::nullopt, true},
                                           AppearanceCase{"Dark", std::nullopt, false},
                                           AppearanceCase{"", std::nullopt, false}),
                         [](const auto& testCase) { return "case" + std::to_string(testCase.index); });

class AppearanceManagerTest : public testsupport::ShellFixture {};

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
  shell->application()->setSystemColorScheme(ui::ColorScheme::light);
  EXPECT_EQ(host->options().colorScheme, ui::ColorScheme::light);
  shell->delegate()->onboardingWindow()->close();
}

}  // namespace
}  // namespace quellorin
