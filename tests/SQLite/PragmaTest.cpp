#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using sql::Binding;
using sql::Connection;
using sql::Int64;
using sql::SQLiteVersion;

class PragmaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db->setTrace([this](const std::string& sql) { sent.push_back(sql); });
  }
  std::shared_ptr<Connection> db = Connection::open(sql::Location::inMemory());
  std::vector<std::string> sent;
};

TEST(SQLiteVersion, OrdersByMajorMinorThenPoint) {
  EXPECT_GT((SQLiteVersion{3, 25, 0}), (SQLiteVersion{3, 24, 99}));
  EXPECT_LT((SQLiteVersion{3, 25, 0}), (SQLiteVersion{3, 25, 1}));
  EXPECT_LT((SQLiteVersion{3, 9, 9}), (SQLiteVersion{3, 10, 0}));
  EXPECT_FALSE((SQLiteVersion{3, 1, 2}) < (SQLiteVersion{3, 1, 2}));
  EXPECT_FALSE((SQLiteVersion{3, 1, 2}) > (SQLiteVersion{3, 1, 2}));
  EXPECT_EQ((SQLiteVersion{3, 39, 5}).description(), "SQLite 3.39.5");
  EXPECT_EQ((SQLiteVersion{3, 40, 0}).description(), "SQLite 3.40.0");
}

TEST_F(PragmaTest, TheEngineVersionIsReadFromItsText) {
  EXPECT_EQ(db->sqliteVersion(), (SQLiteVersion{3, 40, 1}));
  EXPECT_EQ(sent, (std::vector<std::string>{"SELECT sqlite_version()"}));
}

TEST_F(PragmaTest, VersionTextsThatAreNotThreeNumbersGiveTheZeroVersion) {
  auto version = [&](const char* text) {
    auto other = Connection::open(sql::Location::inMemory());
    other->createFunction("sqlite_version", 0, false,
                          [text](const sql::Bindings&) { return std::string(text); });
    return other->sqliteVersion();
  };
  EXPECT_EQ(version("3.43.2"), (SQLiteVersion{3, 43, 2}));
  EXPECT_EQ(version("3..43.2"), (SQLiteVersion{3, 43, 2}));
  EXPECT_EQ(version("+3.-1.2"), (SQLiteVersion{3, -1, 2}));
  for (const char* bad :
       {"3.43", "3.43.2.1", "3.43.2a", "", "3.4 3.2", "3.43.99999999999999999999", "3.++4.1"})
    EXPECT_EQ(version(bad), SQLiteVersion{}) << bad;
}

TEST_F(PragmaTest, UserVersionReadsAndWrites) {
  EXPECT_EQ(db->userVersion(), 0);
  db->setUserVersion(-7);
  EXPECT_EQ(db->userVersion(), -7);
  db->setUserVersion(std::nullopt);
  EXPECT_EQ(db->userVersion(), 0);
  EXPECT_EQ(sent, (std::vector<std::string>{"PRAGMA user_version", "PRAGMA user_version = -7",
                                            "PRAGMA user_version", "PRAGMA user_version = 0",
                                            "PRAGMA user_version"}));
}

TEST_F(PragmaTest, ForeignKeySwitches) {
  EXPECT_FALSE(db->foreignKeys());
  db->setForeignKeys(true);
  EXPECT_TRUE(db->foreignKeys());
  db->setDeferForeignKeys(true);
  EXPECT_TRUE(db->deferForeignKeys());
  db->setDeferForeignKeys(false);
  EXPECT_EQ(sent, (std::vector<std::string>{"PRAGMA foreign_keys", "PRAGMA foreign_keys = 1",
                                            "PRAGMA foreign_keys", "PRAGMA defer_foreign_keys = 1",
                                            "PRAGMA defer_foreign_keys", "PRAGMA defer_foreign_keys = 0"}));
}

TEST(PragmaIntegration, FailedReadsFallBackAndFailedWritesAreDropped) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  const auto path = folder.file("not-a-db");
  const std::string junk(512, 'q');
  { std::ofstream(path) << junk; }
  auto db = Connection::open(path);
  std::vector<std::string> sent;
  db->setTrace([&sent](const std::string& sql) { sent.push_back(sql); });
  EXPECT_EQ(db->userVersion(), std::nullopt);
  EXPECT_THROW(db->run("PRAGMA user_version = 3"), sql::Result) << "the write below does fail";
  sent.clear();

  EXPECT_NO_THROW(db->setUserVersion(3));
  EXPECT_NO_THROW(db->setUserVersion(std::nullopt));
  EXPECT_EQ(sent, (std::vector<std::string>{"PRAGMA user_version = 3", "PRAGMA user_version = 0"}))
      << "both writes were tried, not skipped";
  EXPECT_EQ(db->userVersion(), std::nullopt);
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(content.str(), junk) << "the file is left as it was";
}

TEST_F(PragmaTest, AttachBindsTheLocationText) {
  db->attach(sql::Location::inMemory(), "mem");
  db->attach(sql::Location::temporary(), "tmp");
  db->execute("CREATE TABLE mem.t (a)");
  db->detach("mem");
  EXPECT_EQ(sent,
            (std::vector<std::string>{"ATTACH DATABASE ':memory:' AS 'mem'", "ATTACH DATABASE '' AS 'tmp'",
                                      "CREATE TABLE mem.t (a)", "DETACH DATABASE 'mem'"}));
  EXPECT_THROW(db->detach("mem"), sql::Result);
}

TEST_F(PragmaTest, ForeignKeyCheckReportsEveryViolationIncludingTablesWithoutRowIds) {
  db->execute(
      "CREATE TABLE parent (id INTEGER PRIMARY KEY);"
      "CREATE TABLE child (p REFERENCES parent (id));"
      "CREATE TABLE keyed (k TEXT PRIMARY KEY, p REFERENCES parent (id)) WITHOUT ROWID;");
  EXPECT_TRUE(db->foreignKeyCheck().empty());
  db->execute("INSERT INTO child VALUES (5); INSERT INTO keyed VALUES ('x', 6)");
  std::vector<std::string> all;
  for (const auto& violation : db->foreignKeyCheck()) all.push_back(violation.description());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"child [1] => parent", "keyed [NULL] => parent"}));
  EXPECT_EQ(db->foreignKeyCheck(std::string("child")),
            (std::vector<sql::ForeignKeyError>{{"child", 1, "parent"}}));
  EXPECT_EQ(sent.back(), "PRAGMA foreign_key_check(\"child\")");
}

TEST_F(PragmaTest, IntegrityCheckOfASoundDatabaseIsEmptyAndChecksOfMissingTablesRaise) {
  db->execute("CREATE TABLE \"a\"\"b\" (x)");
  sent.clear();
  EXPECT_TRUE(db->integrityCheck().empty());
  EXPECT_TRUE(db->integrityCheck(std::string("a\"b")).empty());
  EXPECT_EQ(sent, (std::vector<std::string>{"PRAGMA integrity_check", "SELECT sqlite_version()",
                                            "PRAGMA integrity_check(\"a\"\"b\")"}));
  EXPECT_THROW(db->integrityCheck(std::string("missing")), sql::Result);
  EXPECT_THROW(db->foreignKeyCheck(std::string("missing")), sql::Result);
}

}  // namespace
