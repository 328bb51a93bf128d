#include "Platform/Core/Bundle.h"
#include "Platform/Core/StringsTable.h"
#include "Platform/Core/Unicode.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>
#include <string>

// Checks the application's own string tables under Resources/.
namespace {

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

TEST(LocalizableTables, EveryLanguageTableParsesCleanly) {
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    const StringsTable table = loadTable(language);
    for (const auto& error : table.errors()) ADD_FAILURE() << "line " << error.line << ": " << error.message;
    EXPECT_GT(table.size(), 0u);
    for (const auto& [key, value] : table.entries()) {
      EXPECT_FALSE(platform::unicode::trimmingWhitespaceAndNewlines(value).empty()) << key;
      EXPECT_TRUE(platform::unicode::isValidUTF8(value)) << key;
    }
  }
}

TEST(LocalizableTables, EveryLanguageHasTheSameKeys) {
  const std::set<std::string> english = keysOf(loadTable("en"));
  for (const char* language : kLanguages) {
    EXPECT_EQ(keysOf(loadTable(language)), english) << language;
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
