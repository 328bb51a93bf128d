#include "SQLite/Connection.h"
#include "SQLite/Result.h"
#include "SQLite/Statement.h"
#include "SQLite/Value.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

namespace {

using sql::Binding;
using sql::Bindings;
using sql::Blob;
using sql::Int64;

class StatementTest : public ::testing::Test {
 protected:
  void SetUp() override { db->execute("CREATE TABLE t (id INTEGER PRIMARY KEY, a, b)"); }
  std::shared_ptr<sql::Connection> db = sql::Connection::open(sql::Location::inMemory());
};

TEST_F(StatementTest, TextWithNulCharactersIsStoredWholeAndAnEmptyBlobStaysABlob) {
  const std::string text("a\0b", 3);
  db->run("INSERT INTO t (a) VALUES (?)", {text});
  EXPECT_EQ(db->scalar("SELECT a FROM t"), Binding(text));
  EXPECT_EQ(db->scalar("SELECT length(CAST(a AS BLOB)) FROM t"), Binding(Int64{3}));
  db->run("INSERT INTO t (a) VALUES (?)", {Blob()});
  EXPECT_EQ(db->scalar("SELECT typeof(a) FROM t WHERE id = 2"), Binding(std::string("blob")));
}

TEST_F(StatementTest, BoolBindsAsZeroOrOneAndTypedReadsConvert) {
  db->run("INSERT INTO t (a, b) VALUES (?, ?)", {sql::toBinding(true), sql::toBinding(false)});
  auto statement = db->prepare("SELECT a, b, '12', 2.5 FROM t");
  ASSERT_TRUE(statement->step());
  const auto& row = statement->row();
  EXPECT_TRUE(row.get<bool>(0));
  EXPECT_FALSE(row.get<bool>(1));
  EXPECT_EQ(row.get<Int64>(0), 1);
  EXPECT_EQ(row.get<sql::Int>(2).value, 12);
  EXPECT_EQ(row.get<std::string>(3), "2.5");
  EXPECT_EQ(row.get<double>(3), 2.5);
  EXPECT_EQ(row.get<Blob>(2), Blob({'1', '2'}));
}

TEST_F(StatementTest, RunningWithoutValuesLeavesParametersNullAndRunningAgainKeepsThem) {
  db->run("INSERT INTO t (a, b) VALUES (?, ?)");
  EXPECT_EQ(db->scalar("SELECT count(*) FROM t WHERE a IS NULL AND b IS NULL"), Binding(Int64{1}));
  db->execute("DELETE FROM t");
  auto insert = db->prepare("INSERT INTO t (a) VALUES (?)", {Int64{5}});
  insert->run();
  insert->run();
  EXPECT_EQ(db->scalar("SELECT sum(a) FROM t"), Binding(Int64{10}));
  insert->run({Int64{1}});
  EXPECT_EQ(db->scalar("SELECT sum(a) FROM t"), Binding(Int64{11}));
}

TEST_F(StatementTest, NamedValuesBindByTheirPrefixedNames) {
  db->run("INSERT INTO t (a, b) VALUES (:a, @b)",
          sql::NamedBindings{{":a", Int64{1}}, {"@b", std::string("x")}});
  EXPECT_EQ(db->scalar("SELECT b FROM t WHERE a = $a", sql::NamedBindings{{"$a", Int64{1}}}),
            Binding(std::string("x")));
}

// A range-for keeps alive only what its range expression yields: the statement behind the
// temporary pointer must stay alive through the whole loop (AddressSanitizer reports it if not).
TEST_F(StatementTest, IteratingATemporaryStatementKeepsItAliveThroughTheLoop) {
  db->execute("INSERT INTO t (a, b) VALUES (1, 'one'), (2, 'two'), (3, 'three')");
  std::vector<Bindings> prepared;
  for (const auto& row : *db->prepare("SELECT a, b FROM t WHERE a > ? ORDER BY a", {Int64{1}}))
    prepared.push_back(row);
  EXPECT_EQ(prepared, (std::vector<Bindings>{{Binding(Int64{2}), Binding(std::string("two"))},
                                             {Binding(Int64{3}), Binding(std::string("three"))}}));
  std::vector<Bindings> ran;
  for (const auto& row : *db->run("SELECT b FROM t ORDER BY a DESC")) ran.push_back(row);
  EXPECT_EQ(ran, (std::vector<Bindings>{{Binding(std::string("three"))},
                                        {Binding(std::string("two"))},
                                        {Binding(std::string("one"))}}));
}

TEST_F(StatementTest, IteratingTwiceYieldsTheSameRows) {
  db->execute("INSERT INTO t (a) VALUES (1), (2), (3)");
  auto statement = db->prepare("SELECT a FROM t WHERE a > ? ORDER BY a", {Int64{1}});
  std::vector<Bindings> first, second;
  for (const auto& row : *statement) first.push_back(row);
  for (const auto& row : *statement) second.push_back(row);
  EXPECT_EQ(first, (std::vector<Bindings>{{Binding(Int64{2})}, {Binding(Int64{3})}}));
  EXPECT_EQ(second, first);
  EXPECT_EQ(statement->allRows(), first);
}

TEST_F(StatementTest, StepErrorsRaiseAndTheStatementStaysUsable) {
  db->execute("CREATE TABLE u (x UNIQUE)");
  auto insert = db->prepare("INSERT INTO u VALUES (?)");
  insert->run({Int64{1}});
  EXPECT_THROW(insert->run({Int64{1}}), sql::Result);
  insert->run({Int64{2}});
  EXPECT_EQ(db->scalar("SELECT count(*) FROM u"), Binding(Int64{2}));
  auto failing = db->prepare("SELECT abs(-9223372036854775807 - 1)");
  EXPECT_THROW(failing->failableNext(), sql::Result);
}

TEST_F(StatementTest, ColumnNamesAndTheirQuotedMap) {
  auto statement = db->prepare("SELECT id, a AS \"x\"\"y\", b AS id FROM t");
  EXPECT_EQ(statement->columnCount(), 3);
  EXPECT_EQ(statement->columnNames(), (std::vector<std::string>{"id", "x\"y", "id"}));
  const auto& map = statement->columnNameMap();
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map.at("\"id\""), 2);
  EXPECT_EQ(map.at("\"x\"\"y\""), 1);
  EXPECT_EQ(statement->description(), "SELECT id, a AS \"x\"\"y\", b AS id FROM t");
}

TEST_F(StatementTest, OnlyTheFirstStatementOfATextIsPreparedButScriptsRunWhole) {
  db->run("INSERT INTO t (a) VALUES (1); INSERT INTO t (a) VALUES (2)");
  EXPECT_EQ(db->scalar("SELECT count(*) FROM t"), Binding(Int64{1}));
  db->execute("INSERT INTO t (a) VALUES (1); INSERT INTO t (a) VALUES (2)");
  EXPECT_EQ(db->scalar("SELECT count(*) FROM t"), Binding(Int64{3}));
}

TEST_F(StatementTest, NoRowsAndTextsWithoutAStatementGiveNothing) {
  EXPECT_FALSE(db->scalar("SELECT a FROM t"));
  EXPECT_FALSE(db->prepare("CREATE TABLE u (x)")->scalar());
  EXPECT_FALSE(db->scalar("  -- only a comment"));
  EXPECT_EQ(db->prepare("")->allRows(), std::vector<Bindings>{});
  EXPECT_EQ(db->prepare("")->description(), "");
}

TEST_F(StatementTest, PreparationErrorsCarryTheEngineMessage) {
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->prepare("SELEC 1"); })) {
    EXPECT_EQ(error->description(), "near \"SELEC\": syntax error (code: 1)");
  }
}

TEST_F(StatementTest, CountersFollowTheLastChange) {
  db->execute("INSERT INTO t (a) VALUES (1), (2), (3)");
  EXPECT_EQ(db->changes(), 3);
  EXPECT_EQ(db->lastInsertRowid(), 3);
  db->run("UPDATE t SET a = 0 WHERE id < ?", {Int64{3}});
  EXPECT_EQ(db->changes(), 2);
  EXPECT_EQ(db->totalChanges(), 5);
}

TEST_F(StatementTest, ValuesPassedAsArgumentsBindInOrder) {
  using namespace std::chrono;
  const sql::Date date = sys_days{year{2024} / 3 / 5} + milliseconds{250};
  db->execute("CREATE TABLE v (a, b, c, d, e, f, g, h)");
  db->prepare("INSERT INTO v VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
      ->run(7, true, sql::Int{-2}, "text", std::string_view("view"), std::optional<double>(), date,
            Blob({1}));
  EXPECT_EQ(db->prepare("SELECT * FROM v")->allRows(),
            (std::vector<Bindings>{{Binding(Int64{7}), Binding(Int64{1}), Binding(Int64{-2}),
                                    Binding(std::string("text")), Binding(std::string("view")), std::nullopt,
                                    Binding(std::string("2024-03-05T00:00:00.250")), Binding(Blob({1}))}}));
  EXPECT_EQ(db->prepare("SELECT ? + ?")->scalar(std::optional<Int64>(40), 2.5), Binding(42.5));
  db->run("INSERT INTO t (a, b) VALUES (?, ?)", 3, "three");
  EXPECT_EQ(db->scalar("SELECT b FROM t WHERE a = ?", 3), Binding(std::string("three")));
  EXPECT_EQ(db->prepare("SELECT count(*) FROM t WHERE a = ?", sql::Int{3})->scalar(), Binding(Int64{1}));
  EXPECT_EQ(db->prepare("SELECT ?")->scalar(std::nullopt), std::nullopt);
}

TEST_F(StatementTest, EachStoredTypeRoundTripsThroughOneReusedRow) {
  const std::vector<Bindings> values{{Binding(std::string("long text value"))},
                                     {Binding(Int64{-9007199254740993})},
                                     {Binding(std::string("h\xC3\xA9llo"))},
                                     {Binding(Blob({0, 1, 255}))},
                                     {Binding(Blob())},
                                     {std::nullopt},
                                     {Binding(0.25)},
                                     {Binding(std::string())}};
  for (const auto& value : values) db->run("INSERT INTO t (a) VALUES (?)", value);
  auto statement = db->prepare("SELECT a FROM t ORDER BY id");
  std::vector<Bindings> rows;
  for (const auto& row : *statement) rows.push_back(row);
  EXPECT_EQ(rows, values);
}

// A row is read by the storage type each column held the row before; columns that trade
// types from row to row must still read as stored.
TEST_F(StatementTest, ColumnsThatTradeStorageTypesReadAsStoredRowAfterRow) {
  db->execute(
      "INSERT INTO t (a, b) VALUES (1, 'one'), ('two', 2), ('three', 3), (NULL, 4.5), (x'05', NULL), (6.5, "
      "'six')");
  auto statement = db->prepare("SELECT id, a, b FROM t ORDER BY id");
  std::vector<Bindings> rows;
  for (const auto& row : *statement) rows.push_back(row);
  EXPECT_EQ(rows, (std::vector<Bindings>{
                      {Binding(Int64{1}), Binding(Int64{1}), Binding(std::string("one"))},
                      {Binding(Int64{2}), Binding(std::string("two")), Binding(Int64{2})},
                      {Binding(Int64{3}), Binding(std::string("three")), Binding(Int64{3})},
                      {Binding(Int64{4}), std::nullopt, Binding(4.5)},
                      {Binding(Int64{5}), Binding(Blob({5})), std::nullopt},
                      {Binding(Int64{6}), Binding(6.5), Binding(std::string("six"))},
                  }));
}

TEST_F(StatementTest, AStatementSteppedPartwayStartsOverWhenIteratedAgain) {
  db->execute("INSERT INTO t (a) VALUES (1), (2), (3)");
  auto statement = db->prepare("SELECT a FROM t ORDER BY a");
  ASSERT_EQ(statement->failableNext(), (Bindings{Binding(Int64{1})}));
  EXPECT_EQ(statement->allRows(),
            (std::vector<Bindings>{{Binding(Int64{1})}, {Binding(Int64{2})}, {Binding(Int64{3})}}));
  EXPECT_EQ(statement->scalar(), Binding(Int64{1}));
  EXPECT_EQ(statement->failableNext(), (Bindings{Binding(Int64{2})}));
}

using StatementDeathTest = StatementTest;

TEST_F(StatementDeathTest, MisboundValuesStopTheProcess) {
  auto pair = db->prepare("INSERT INTO t (a, b) VALUES (?, ?)");
  EXPECT_DEATH(pair->run(1), "2 values expected, 1 passed");
  auto one = db->prepare("INSERT INTO t (a) VALUES (?)");
  EXPECT_DEATH(one->bind({Int64{1}, Int64{2}}), "1 values expected, 2 passed");
  auto named = db->prepare("INSERT INTO t (a) VALUES (:a)");
  EXPECT_DEATH(named->bind(sql::NamedBindings{{"a", Int64{1}}}), "parameter not found: a");
}

}  // namespace
