#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "Platform/Core/StringsTable.h"
#include "Quellorin/Shell/TessivalApp.h"

namespace quellorin {
namespace {

const std::filesystem::path sourceDir = QUELLORIN_SOURCE_DIR;

// Every key the application's code looks up by a literal: localizedString("key") and the menu's
// L("key"), in every source of Quellorin/, plus the keys the space-bar options name.
std::set<std::string> keysUsedInCode() {
  static const std::regex lookup(R"re((?:localizedString|\bL)\(\s*"((?:[^"\\]|\\.)+)")re");
  // A lookup of one of two keys: localizedString(on ? "a" : "b").
  static const std::regex choice(R"re((?:localizedString|\bL)\([^;"]*\?\s*"([^"]+)"\s*:\s*"([^"]+)")re");
  std::set<std::string> keys;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sourceDir / "Quellorin")) {
    const auto extension = entry.path().extension();
    if (extension != ".cpp" && extension != ".h") continue;
    std::ifstream file(entry.path());
    std::stringstream text;
    text << file.rdbuf();
    const std::string source = text.str();
    for (std::sregex_iterator match(source.begin(), source.end(), lookup), end; match != end; ++match) {
      keys.insert((*match)[1]);
    }
    for (std::sregex_iterator match(source.begin(), source.end(), choice), end; match != end; ++match) {
      keys.insert((*match)[1]);
      keys.insert((*match)[2]);
    }
  }
  for (const auto& option : TessivalApp::languageOptions()) keys.insert(option.localizedText);
  return keys;
}

// Texts that stay the same in every language: names and symbols.
const std::set<std::string> sameEverywhere = {"Quellorin", "OK",    "esc",   "...",
                                              "setEN",     "setZH", "setJP", "setFR"};

class StringTablesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(StringTablesTest, EveryKeyUsedInCodeHasARealTranslation) {
  const auto table = platform::StringsTable::load(
      sourceDir / "Resources" / (std::string(GetParam()) + ".lproj") / "Localizable.strings");
  const auto english = platform::StringsTable::load(sourceDir / "Resources/en.lproj/Localizable.strings");
  ASSERT_TRUE(table && english);
  EXPECT_TRUE(table->errors().empty());
  const auto keys = keysUsedInCode();
  // The scan finds the lookups of every part of the application.
  for (const char* known : {"guideVideo", "noShowAgain", "fastAPIRequests", "spacebarTriggerEnabled", "PT",
                            "networklost", "updateAvailable"}) {
    EXPECT_EQ(keys.count(known), 1u) << known;
  }
  for (const auto& key : keys) {
    const std::string* text = table->find(key);
    ASSERT_NE(text, nullptr) << "\"" << key << "\" is missing from " << GetParam();
    EXPECT_FALSE(text->empty()) << key;
    // French shares many words with English ("Version", "E-mail"); the other scripts share none.
    const std::string language = GetParam();
    if ((language == "zh" || language == "jp") && sameEverywhere.count(key) == 0) {
      EXPECT_NE(*text, *english->find(key))
          << "\"" << key << "\" in " << GetParam() << " is the English text";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, StringTablesTest, ::testing::Values("en", "zh", "jp", "fr"),
                         [](const auto& testCase) { return std::string(testCase.param); });

}  // namespace
}  // namespace quellorin
