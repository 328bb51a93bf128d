#include "Platform/Core/StringsTable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

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

TEST(StringsTable, ReadsEscapesCommentsAndTokenForms) {
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
  EXPECT_EQ(table.size(), 12u);
}

TEST(StringsTable, LoneSurrogateEscapesBecomeReplacementCharacters) {
  const StringsTable table =
      StringsTable::parse(R"("high" = "\UD83Dx"; "low" = "\UDE00"; "twoHighs" = "\UD83D\UD83D";)");
  EXPECT_TRUE(table.errors().empty());
  EXPECT_EQ(valueOf(table, "high"), "\uFFFDx");
  EXPECT_EQ(valueOf(table, "low"), "\uFFFD");
  EXPECT_EQ(valueOf(table, "twoHighs"), "\uFFFD\uFFFD");
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

TEST(StringsTable, ALaterEntryWithTheSameKeyWins) {
  const StringsTable table = StringsTable::parse("\"k\" = \"first\";\n\"k\" = \"second\";");
  EXPECT_EQ(valueOf(table, "k"), "second");
  EXPECT_EQ(table.size(), 1u);
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

}  // namespace
