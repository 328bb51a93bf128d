#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"

#include "tests/support/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::Bundle;

const std::filesystem::path kFixtures = QUELLORIN_SOURCE_DIR "/tests/Platform/fixtures/Bundle";

Bundle fixtureBundle(std::vector<std::string> preferred) { return Bundle(kFixtures, std::move(preferred)); }

using testsupport::ScopedEnvironmentVariable;

// Installs a main bundle for one test and puts the previous one back.
class ScopedMainBundle {
 public:
  explicit ScopedMainBundle(std::shared_ptr<Bundle> bundle)
      : previous_(Bundle::replaceMain(std::move(bundle))) {}
  ~ScopedMainBundle() { Bundle::replaceMain(previous_); }

 private:
  std::shared_ptr<Bundle> previous_;
};

TEST(Bundle, PreferredLanguagesPickTheLocalisationElseEnglish) {
  EXPECT_EQ(Bundle(kFixtures, {"fr_FR"}).preferredLocalization(), "fr");
  EXPECT_EQ(Bundle(kFixtures, {"pt_BR", "jp"}).preferredLocalization(), "jp");
  EXPECT_EQ(Bundle(kFixtures, {"zh-Hans"}).preferredLocalization(), "zh");
  EXPECT_EQ(Bundle(kFixtures, {"pt_BR"}).preferredLocalization(), "en");
  EXPECT_EQ(Bundle(kFixtures, {"de"}).preferredLocalization(), "en") << "de.lproj is a file";
  EXPECT_EQ(Bundle(kFixtures / "scripts", {"fr"}).preferredLocalization(), "");
}

TEST(Bundle, LanguagePreferencesComeFromTheEnvironment) {
  ScopedEnvironmentVariable language("LANGUAGE", "fr_CA:zh");
  ScopedEnvironmentVariable all("LC_ALL", nullptr);
  ScopedEnvironmentVariable messages("LC_MESSAGES", "C");
  ScopedEnvironmentVariable lang("LANG", "jp_JP.UTF-8@variant");
  EXPECT_EQ(Bundle::preferredLanguagesFromEnvironment(), (std::vector<std::string>{"fr_CA", "zh", "jp_JP"}));
  EXPECT_EQ(Bundle(kFixtures).preferredLocalization(), "fr");
}

TEST(Bundle, LookupFallsBackToTheValueThenToTheKey) {
  const Bundle bundle = fixtureBundle({"fr"});
  EXPECT_EQ(bundle.localizedString("greeting"), "Bonjour");
  EXPECT_EQ(bundle.localizedString("onlyEnglish"), "onlyEnglish") << "no fallback to another language";
  EXPECT_EQ(bundle.localizedString("missing", "Default"), "Default");
  EXPECT_EQ(bundle.localizedString("missing", ""), "missing");
  EXPECT_EQ(bundle.localizedString("exit", std::nullopt, "Menu"), "Quitter");
  EXPECT_EQ(bundle.localizedString("exit"), "exit") << "the default table has no such key";
  EXPECT_EQ(bundle.localizedString("greeting", std::nullopt, ""), "Bonjour")
      << "empty names the default table";
  EXPECT_EQ(bundle.localizedString("greeting", std::nullopt, "NoSuchTable"), "greeting");
  EXPECT_EQ(bundle.localizedString("greeting", std::nullopt, "../fr.lproj/Localizable"), "greeting");
}

TEST(Bundle, RedirectionSendsEveryLaterLookupToTheChosenLanguage) {
  Bundle bundle = fixtureBundle({"en"});
  EXPECT_EQ(bundle.localizedString("greeting"), "Hello");

  ASSERT_TRUE(bundle.redirectToLanguage("zh"));
  EXPECT_EQ(bundle.localizedString("greeting"), "你好");
  EXPECT_EQ(bundle.localizedString("onlyEnglish"), "onlyEnglish");

  ASSERT_TRUE(bundle.redirectToLanguage("fr"));
  EXPECT_EQ(bundle.localizedString("greeting"), "Bonjour");
  EXPECT_EQ(bundle.localizedString("exit", "Exit", "Menu"), "Quitter") << "table name passed on";
  EXPECT_EQ(bundle.localizedString("missing", "Fallback", "Menu"), "Fallback") << "value passed on";

  ASSERT_TRUE(bundle.redirectToLanguage("fr")) << "the same language again re-attaches";
  EXPECT_EQ(bundle.localizedString("farewell"), "Au revoir");
}

TEST(Bundle, ALanguageWithoutAFolderClearsTheRedirection) {
  Bundle bundle = fixtureBundle({"en"});
  ASSERT_TRUE(bundle.redirectToLanguage("jp"));
  EXPECT_EQ(bundle.localizedString("greeting"), "こんにちは");

  EXPECT_FALSE(bundle.redirectToLanguage("xx"));
  EXPECT_EQ(bundle.languageBundle(), nullptr);
  EXPECT_EQ(bundle.localizedString("greeting"), "Hello") << "back to the preferences";

  EXPECT_FALSE(bundle.redirectToLanguage("de")) << "a file is not a language folder";
  EXPECT_FALSE(bundle.redirectToLanguage("../Bundle/fr"));
  EXPECT_FALSE(bundle.redirectToLanguage(""));
  EXPECT_EQ(bundle.localizedString("greeting"), "Hello");

  ASSERT_TRUE(bundle.redirectToLanguage("jp"));
  EXPECT_EQ(bundle.localizedString("greeting"), "こんにちは");
  EXPECT_EQ(bundle.languageBundle()->bundlePath(), kFixtures / "jp.lproj");
}

TEST(Bundle, ResourcesAreFoundByNameTypeAndSubdirectory) {
  const Bundle bundle = fixtureBundle({"en"});
  EXPECT_EQ(bundle.path("template", "html"), kFixtures / "template.html");
  EXPECT_EQ(bundle.path("template.html", ""), kFixtures / "template.html");
  EXPECT_EQ(bundle.path("highlight", "js", "scripts"), kFixtures / "scripts/highlight.js");
  EXPECT_EQ(bundle.path("notice", "txt"), kFixtures / "en.lproj/notice.txt") << "from the localisation";
  EXPECT_EQ(bundle.path("fr", "lproj"), kFixtures / "fr.lproj") << "folders are resources too";
  EXPECT_EQ(bundle.path("template", "css"), std::nullopt);
  EXPECT_EQ(bundle.path("highlight", "js"), std::nullopt) << "not at the root";
  EXPECT_EQ(fixtureBundle({"fr"}).path("notice", "txt"), std::nullopt) << "English-only";
}

TEST(Bundle, ResourceNamesCannotLeaveTheBundle) {
  const Bundle bundle = Bundle(kFixtures / "scripts", {});
  EXPECT_EQ(bundle.path("..", ""), std::nullopt);
  EXPECT_EQ(bundle.path("../template", "html"), std::nullopt);
  EXPECT_EQ(bundle.path("template", "html", ".."), std::nullopt);
  EXPECT_EQ(bundle.path("template", "html", kFixtures.string()), std::nullopt);
  EXPECT_EQ(bundle.path("template", "/html"), std::nullopt);
  EXPECT_EQ(bundle.path(std::string_view("highlight.js\0x", 14), ""), std::nullopt);
  EXPECT_EQ(bundle.path("", "js"), std::nullopt);
  EXPECT_EQ(bundle.path("highlight", "js"), kFixtures / "scripts/highlight.js");
}

TEST(Bundle, AMalformedTableKeepsItsGoodEntriesAndIsReportedOnce) {
  platform::LogCapture log;
  Bundle bundle = fixtureBundle({"broken"});
  EXPECT_EQ(bundle.localizedString("before"), "kept");
  EXPECT_EQ(bundle.localizedString("after"), "also kept");
  EXPECT_EQ(bundle.localizedString("broken"), "broken");
  const std::string text = log.text();
  EXPECT_NE(text.find("broken.lproj/Localizable.strings, line 2: expected \";\" after the value"),
            std::string::npos)
      << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
}

TEST(Bundle, TheMainBundleFollowsSetLanguage) {
  ScopedMainBundle scoped(std::make_shared<Bundle>(kFixtures, std::vector<std::string>{"en"}));
  EXPECT_EQ(platform::localizedString("greeting"), "Hello");
  Bundle::setLanguage("fr");
  EXPECT_EQ(platform::localizedString("greeting"), "Bonjour");
  EXPECT_EQ(Bundle::main()->localizedString("exit", "", "Menu"), "Quitter");
  Bundle::setLanguage("no-such-language");
  EXPECT_EQ(platform::localizedString("greeting"), "Hello");
  EXPECT_EQ(platform::localizedString("not a key"), "not a key");
}

TEST(Bundle, AMainBundleWithoutItsFolderGivesKeysAndSaysWhy) {
  ScopedEnvironmentVariable configured("QUELLORIN_RESOURCES", "/nonexistent/quellorin-resources");
  ScopedMainBundle scoped(nullptr);
  platform::LogCapture log;
  EXPECT_EQ(platform::localizedString("exit"), "exit");
  EXPECT_TRUE(log.contains("resources folder /nonexistent/quellorin-resources not found"));
}

TEST(Bundle, TheResourcesFolderComesFromTheBuildOrTheEnvironment) {
  {
    ScopedEnvironmentVariable unset("QUELLORIN_RESOURCES", nullptr);
    EXPECT_EQ(Bundle::resourcesDirectory(), QUELLORIN_SOURCE_DIR "/Resources");
  }
  ScopedEnvironmentVariable configured("QUELLORIN_RESOURCES", kFixtures.c_str());
  EXPECT_EQ(Bundle::resourcesDirectory(), kFixtures);
}

TEST(Bundle, LookupsOnManyThreadsWhileTheLanguageChanges) {
  Bundle bundle = fixtureBundle({"en"});
  std::atomic<bool> stop{false};
  std::atomic<int> unexpected{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) {
    readers.emplace_back([&] {
      while (!stop) {
        const std::string text = bundle.localizedString("greeting");
        if (text != "Hello" && text != "Bonjour" && text != "你好") ++unexpected;
      }
    });
  }
  for (int round = 0; round < 200; ++round) {
    bundle.redirectToLanguage(round % 3 == 0 ? "fr" : round % 3 == 1 ? "zh" : "none");
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(unexpected, 0);
}

TEST(Bundle, OpensOnlyFolders) {
  const auto opened = Bundle::open(kFixtures / "fr.lproj", {});
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->localizedString("greeting"), "Bonjour") << "a language folder is a bundle of its own";
  EXPECT_EQ(Bundle::open(kFixtures / "de.lproj", {}), nullptr);
  EXPECT_EQ(Bundle::open(kFixtures / "missing", {}), nullptr);
}

TEST(Bundle, TheInformationDictionaryComesFromInfoJson) {
  const Bundle bundle = fixtureBundle({});
  EXPECT_EQ(bundle.bundleIdentifier(), "org.example.fixture");
  ASSERT_NE(bundle.object("CFBundleShortVersionString"), nullptr);
  EXPECT_EQ(*bundle.object("CFBundleShortVersionString"), "2.5");
  EXPECT_EQ(*bundle.object("CFBundleExecutable"), 42) << "values keep their JSON type";
  EXPECT_EQ(bundle.object("CFBundleVersion"), nullptr);
  EXPECT_EQ(bundle.resourcePath(), kFixtures);
}

TEST(Bundle, AMissingOrMalformedInformationDictionaryIsEmpty) {
  platform::LogCapture log;
  const Bundle withoutFile(kFixtures / "scripts", {});
  EXPECT_TRUE(withoutFile.infoDictionary().empty());
  EXPECT_EQ(withoutFile.bundleIdentifier(), std::nullopt);
  EXPECT_TRUE(log.text().empty());

  const Bundle broken(kFixtures.parent_path() / "BrokenInfo", {});
  EXPECT_TRUE(broken.infoDictionary().is_object());
  EXPECT_TRUE(broken.infoDictionary().empty());
  EXPECT_EQ(broken.bundleIdentifier(), std::nullopt);
  EXPECT_TRUE(log.contains("BrokenInfo/Info.json is not a JSON object"));
}

}  // namespace
