#include "SQLite/Quote.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

namespace {

TEST(Quote, WrapsInTheMarkAndDoublesEveryMarkInside) {
  EXPECT_EQ(sql::quote("name"), "\"name\"");
  EXPECT_EQ(sql::quote(""), "\"\"");
  EXPECT_EQ(sql::quote("", '\''), "''");
  EXPECT_EQ(sql::quote("\"\"\""), "\"\"\"\"\"\"\"\"");
  EXPECT_EQ(sql::quote("o'clock", '\''), "'o''clock'");
  EXPECT_EQ(sql::quote("o'clock"), "\"o'clock\"");
  EXPECT_EQ(sql::quote("a\"b"), "\"a\"\"b\"");
}

TEST(Quote, DoublesAMarkFollowedByACombiningAccent) {
  // U+0301 combines with the quote mark into one character; the engine still sees a mark.
  EXPECT_EQ(sql::quote("x\"\xCC\x81"), "\"x\"\"\xCC\x81\"");
  EXPECT_EQ(sql::quote("x'\xCC\x81", '\''), "'x''\xCC\x81'");
}

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// The name the engine gives a column aliased with `identifier`, and the text literal it reads.
std::pair<std::string, std::string> engineRoundTrip(const std::string& text) {
  sqlite3* raw = nullptr;
  sqlite3_open(":memory:", &raw);
  std::unique_ptr<sqlite3, CloseDatabase> db(raw);
  const std::string sqlText = "SELECT " + sql::quote(text, '\'') + " AS " + sql::quote(text);
  sqlite3_stmt* rawStatement = nullptr;
  if (sqlite3_prepare_v2(db.get(), sqlText.c_str(), -1, &rawStatement, nullptr) != SQLITE_OK) return {};
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(rawStatement);
  if (sqlite3_step(statement.get()) != SQLITE_ROW) return {};
  return {sqlite3_column_name(statement.get(), 0),
          reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0))};
}

TEST(Quote, TheEngineReadsBackExactlyTheQuotedText) {
  for (const std::string text :
       {"plain", "a\"b", "o'clock", "\"", "'", "x\"\xCC\x81", "x'\xCC\x81", "\"); DROP TABLE t; --",
        "'); DROP TABLE t; --", "\xE4\xB8\xAD\xE6\x96\x87"}) {
    EXPECT_EQ(engineRoundTrip(text), std::make_pair(text, text)) << text;
  }
}

}  // namespace
