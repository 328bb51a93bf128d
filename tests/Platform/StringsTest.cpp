#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/StringsTable.h"
#include "Platform/Core/Unicode.h"
#include "tests/support/ScopedEnvironmentVariable.h"

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

TEST(Bundle, PreferredLanguagesFromTheEnvironmentPickTheLocalisationElseEnglish) {
  EXPECT_EQ(Bundle(kFixtures, {"fr_FR"}).preferredLocalization(), "fr");
  EXPECT_EQ(Bundle(kFixtures, {"pt_BR", "jp"}).preferredLocalization(), "jp");
  EXPECT_EQ(Bundle(kFixtures, {"zh-Hans"}).preferredLocalization(), "zh");
  EXPECT_EQ(Bundle(kFixtures, {"pt_BR"}).preferredLocalization(), "en");
  EXPECT_EQ(Bundle(kFixtures, {"de"}).preferredLocalization(), "en") << "de.lproj is a file";
  EXPECT_EQ(Bundle(kFixtures / "scripts", {"fr"}).preferredLocalization(), "");
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

TEST(Bundle, RedirectionSendsLaterLookupsToTheChosenLanguageUntilOneWithoutAFolder) {
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

  // A language without a folder clears the redirection.
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

TEST(Bundle, ResourcesAreFoundByNameTypeAndSubdirectoryInsideTheBundleOnly) {
  const Bundle bundle = fixtureBundle({"en"});
  EXPECT_EQ(bundle.path("template", "html"), kFixtures / "template.html");
  EXPECT_EQ(bundle.path("template.html", ""), kFixtures / "template.html");
  EXPECT_EQ(bundle.path("highlight", "js", "scripts"), kFixtures / "scripts/highlight.js");
  EXPECT_EQ(bundle.path("notice", "txt"), kFixtures / "en.lproj/notice.txt") << "from the localisation";
  EXPECT_EQ(bundle.path("fr", "lproj"), kFixtures / "fr.lproj") << "folders are resources too";
  EXPECT_EQ(bundle.path("template", "css"), std::nullopt);
  EXPECT_EQ(bundle.path("highlight", "js"), std::nullopt) << "not at the root";
  EXPECT_EQ(fixtureBundle({"fr"}).path("notice", "txt"), std::nullopt) << "English-only";
  // Names cannot leave the bundle.
  const Bundle scripts = Bundle(kFixtures / "scripts", {});
  EXPECT_EQ(scripts.path("highlight", "js"), kFixtures / "scripts/highlight.js");
  for (const auto& [name, type, folder] :
       std::vector<std::array<std::string_view, 3>>{{"..", "", ""},
                                                    {"../template", "html", ""},
                                                    {"template", "html", ".."},
                                                    {"template", "html", kFixtures.c_str()},
                                                    {"template", "/html", ""},
                                                    {std::string_view("highlight.js\0x", 14), "", ""},
                                                    {"", "js", ""}}) {
    EXPECT_EQ(scripts.path(name, type, folder), std::nullopt) << name << " " << type << " " << folder;
  }
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

TEST(Bundle, TheResourcesFolderComesFromTheEnvironmentElseTheBuildAndAMissingOneGivesKeys) {
  ScopedEnvironmentVariable configured("QUELLORIN_RESOURCES", "/nonexistent/quellorin-resources");
  ScopedMainBundle scoped(nullptr);
  platform::LogCapture log;
  EXPECT_EQ(platform::localizedString("exit"), "exit");
  EXPECT_TRUE(log.contains("resources folder /nonexistent/quellorin-resources not found"));
  EXPECT_EQ(Bundle::resourcesDirectory(), "/nonexistent/quellorin-resources");
  ScopedEnvironmentVariable unset("QUELLORIN_RESOURCES", nullptr);
  EXPECT_EQ(Bundle::resourcesDirectory(), QUELLORIN_SOURCE_DIR "/Resources");
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

TEST(Bundle, OpensOnlyFoldersAndReadsTheInformationDictionaryFromInfoJson) {
  const auto opened = Bundle::open(kFixtures / "fr.lproj", {});
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->localizedString("greeting"), "Bonjour") << "a language folder is a bundle of its own";
  EXPECT_EQ(Bundle::open(kFixtures / "de.lproj", {}), nullptr);
  EXPECT_EQ(Bundle::open(kFixtures / "missing", {}), nullptr);
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

using platform::StringsTable;

std::string valueOf(const StringsTable& table, std::string_view key) {
  const std::string* value = table.find(key);
  return value ? *value : "<missing " + std::string(key) + ">";
}

std::vector<std::size_t> errorLines(const StringsTable& table) {
  std::vector<std::size_t> lines;
  for (const auto& error : table.errors()) lines.push_back(error.line);
  return lines;
}

TEST(StringsTable, ReadsEscapesCommentsAndTokenFormsAndALaterEntryWins) {
  const StringsTable table = StringsTable::parse(R"(/* A block comment
   over two lines: "hidden" = "x"; */
// a line comment: "alsoHidden" = "y";
"quote" = "She said \"hi\"";
"backslash" = "C:\\path\\";
"controls" = "one\ntwo\tthree\rfour";
"unicode" = "\U00e9\u4F60 \UD83D\UDE00";
"otherEscapes" = "\q\'";
unquoted_key = unquoted.value-1;
"selfKey";
"multi" = "first
second";
  "spaced"   =   /* inline */ "v" // trailing comment
;
"comment//inside" = "/* not a comment */";
"empty" = "";
"中文键" = "值";
"high" = "\UD83Dx"; "low" = "\UDE00"; "twoHighs" = "\UD83D\UD83D";
"later" = "first"; "later" = "second";
)");
  EXPECT_TRUE(table.errors().empty()) << table.errors().front().message;
  EXPECT_EQ(table.find("hidden"), nullptr);
  EXPECT_EQ(table.find("alsoHidden"), nullptr);
  EXPECT_EQ(valueOf(table, "quote"), "She said \"hi\"");
  EXPECT_EQ(valueOf(table, "backslash"), "C:\\path\\");
  EXPECT_EQ(valueOf(table, "controls"), "one\ntwo\tthree\rfour");
  EXPECT_EQ(valueOf(table, "unicode"), "é你 😀");
  EXPECT_EQ(valueOf(table, "otherEscapes"), "q'");
  EXPECT_EQ(valueOf(table, "unquoted_key"), "unquoted.value-1");
  EXPECT_EQ(valueOf(table, "selfKey"), "selfKey");
  EXPECT_EQ(valueOf(table, "multi"), "first\nsecond");
  EXPECT_EQ(valueOf(table, "spaced"), "v");
  EXPECT_EQ(valueOf(table, "comment//inside"), "/* not a comment */");
  EXPECT_EQ(valueOf(table, "empty"), "");
  EXPECT_EQ(valueOf(table, "中文键"), "值");
  // Lone surrogate escapes become replacement characters.
  EXPECT_EQ(valueOf(table, "high"), "\uFFFDx");
  EXPECT_EQ(valueOf(table, "low"), "\uFFFD");
  EXPECT_EQ(valueOf(table, "twoHighs"), "\uFFFD\uFFFD");
  EXPECT_EQ(valueOf(table, "later"), "second");
  EXPECT_EQ(table.size(), 16u);
}

TEST(StringsTable, MalformedEntriesAreSkippedWithTheirLineAndTheRestIsRead) {
  const StringsTable table = StringsTable::parse(
      "\"good1\" = \"one\";\n"
      "\"missingSemicolon\" = \"x\"\n"
      "\"good2\" = \"two\";\n"
      "= \"no key\";\n"
      "\"noValue\" = ;\n"
      "garbage line @\n"
      "\"bad\\U12\" = \"y\";\n"
      "\"good3\" = \"three\"; \"good4\" = \"four\";\n");
  EXPECT_EQ(valueOf(table, "good1"), "one");
  EXPECT_EQ(valueOf(table, "good2"), "two");
  EXPECT_EQ(valueOf(table, "good3"), "three");
  EXPECT_EQ(valueOf(table, "good4"), "four");
  EXPECT_EQ(table.size(), 4u);
  EXPECT_EQ(errorLines(table), (std::vector<std::size_t>{2, 4, 5, 6, 7}));
  EXPECT_EQ(table.errors()[0].message, "expected \";\" after the value, found \"\"\"; entry skipped");
  EXPECT_EQ(table.errors()[1].message, "expected a key, found \"=\"; entry skipped");
  EXPECT_EQ(table.errors()[2].message, "expected a value, found \";\"; entry skipped");
  EXPECT_EQ(table.errors()[3].message, "expected \"=\" or \";\" after the key, found \"l\"; entry skipped");
  EXPECT_EQ(table.errors()[4].message, "\\U must be followed by four hexadecimal digits; entry skipped");
}

TEST(StringsTable, UnterminatedStringOrCommentLosesOnlyWhatFollows) {
  const StringsTable unterminatedString = StringsTable::parse("\"a\" = \"b\";\n\"c\" = \"never closed\n");
  EXPECT_EQ(valueOf(unterminatedString, "a"), "b");
  EXPECT_EQ(unterminatedString.size(), 1u);
  EXPECT_EQ(errorLines(unterminatedString), std::vector<std::size_t>{2});
  EXPECT_EQ(unterminatedString.errors()[0].message, "unterminated string starting on line 2; entry skipped");

  const StringsTable unterminatedComment =
      StringsTable::parse("\"a\" = \"b\";\n/* never closed\n\"c\" = \"d\";\n");
  EXPECT_EQ(unterminatedComment.size(), 1u);
  EXPECT_EQ(unterminatedComment.find("c"), nullptr);
  EXPECT_EQ(errorLines(unterminatedComment), std::vector<std::size_t>{2});

  const StringsTable keyAtEnd = StringsTable::parse("\"a\" = \"b\";\n\"dangling\"");
  EXPECT_EQ(keyAtEnd.size(), 1u);
  EXPECT_EQ(keyAtEnd.errors()[0].message,
            "expected \"=\" or \";\" after the key, found the end of the file; entry skipped");
}

std::string utf16Bytes(std::u16string_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

TEST(StringsTable, ReadsUTF8AndUTF16FilesByTheirByteOrderMark) {
  const std::u16string source = u"\"greeting\" = \"你好 😀\";\n";
  for (const bool littleEndian : {true, false}) {
    const StringsTable table = StringsTable::parse(utf16Bytes(source, littleEndian));
    EXPECT_TRUE(table.errors().empty());
    EXPECT_EQ(valueOf(table, "greeting"), "你好 😀") << (littleEndian ? "little endian" : "big endian");
  }
  EXPECT_EQ(valueOf(StringsTable::parse("\xEF\xBB\xBF\"k\" = \"v\";"), "k"), "v");
  EXPECT_EQ(valueOf(StringsTable::parse("\"k\" = \"bad \xC0\xAF byte\";"), "k"), "bad \uFFFD\uFFFD byte");
  // A UTF-16 file cut in the middle of a unit: the odd byte reads as U+FFFD, which ends nothing.
  const std::string truncated = utf16Bytes(u"\"k\" = \"v\";", true) + "x";
  EXPECT_EQ(valueOf(StringsTable::parse(truncated), "k"), "v");
  EXPECT_EQ(StringsTable::parse(truncated).errors().size(), 1u);
}

TEST(StringsTable, LoadReadsAFileAndRefusesWhatIsNotOne) {
  const std::string fixtures = QUELLORIN_SOURCE_DIR "/tests/Platform/fixtures/Bundle";
  const auto zh = StringsTable::load(fixtures + "/zh.lproj/Localizable.strings");
  ASSERT_TRUE(zh.has_value());
  EXPECT_EQ(valueOf(*zh, "greeting"), "你好");
  EXPECT_EQ(valueOf(*zh, "emoji"), "😀 😀");
  EXPECT_FALSE(StringsTable::load(fixtures + "/missing.strings").has_value());
  EXPECT_FALSE(StringsTable::load(fixtures + "/en.lproj").has_value());
}

TEST(StringsTable, ArbitraryInputNeverBreaksTheParser) {
  const std::string alphabet = "\"\\=;/*\n\r\t aU0D8Fx\xC3\xA9\x80";
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    for (int i = round % 40; i > 0; --i) bytes.push_back(alphabet[pick(random)]);
    const StringsTable table = StringsTable::parse(bytes);
    const auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    for (const auto& error : table.errors()) {
      ASSERT_GE(error.line, 1u);
      ASSERT_LE(error.line, lines) << ::testing::PrintToString(bytes);
    }
  }
}

// Checks the application's own string tables under Resources/.
using platform::Bundle;
using platform::StringsTable;

const std::filesystem::path kResources = QUELLORIN_SOURCE_DIR "/Resources";
const char* const kLanguages[] = {"en", "zh", "jp", "fr"};

StringsTable loadTable(const std::string& language) {
  const auto table = StringsTable::load(kResources / (language + ".lproj") / "Localizable.strings");
  EXPECT_TRUE(table.has_value()) << language;
  return table.value_or(StringsTable());
}

std::set<std::string> keysOf(const StringsTable& table) {
  std::set<std::string> keys;
  for (const auto& [key, value] : table.entries()) keys.insert(key);
  return keys;
}

TEST(LocalizableTables, EveryLanguageTableParsesCleanlyWithTheSameKeys) {
  const std::set<std::string> english = keysOf(loadTable("en"));
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    const StringsTable table = loadTable(language);
    for (const auto& error : table.errors()) ADD_FAILURE() << "line " << error.line << ": " << error.message;
    EXPECT_GT(table.size(), 0u);
    for (const auto& [key, value] : table.entries()) {
      EXPECT_FALSE(platform::unicode::trimmingWhitespaceAndNewlines(value).empty()) << key;
      EXPECT_TRUE(platform::unicode::isValidUTF8(value)) << key;
    }
    EXPECT_EQ(keysOf(table), english);
  }
}

TEST(LocalizableTables, TheResourcesBundleRedirectsToEachLanguage) {
  Bundle bundle(kResources, {"en"});
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(bundle.redirectToLanguage(language));
    const StringsTable table = loadTable(language);
    for (const auto& [key, value] : table.entries()) EXPECT_EQ(bundle.localizedString(key), value);
  }
  EXPECT_EQ(bundle.localizedString("a name the user gave a pipeline"), "a name the user gave a pipeline");
}

TEST(LocalizableTables, TheApplicationBundleNamesItselfAndItsVersion) {
  const Bundle bundle(kResources, {});
  EXPECT_TRUE(bundle.bundleIdentifier().has_value());
  for (const char* key : {"CFBundleShortVersionString", "CFBundleExecutable"}) {
    const auto* value = bundle.object(key);
    ASSERT_NE(value, nullptr) << key;
    EXPECT_TRUE(value->is_string()) << key;
  }
}

}  // namespace
