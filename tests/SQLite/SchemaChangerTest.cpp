#include "SQLite/Connection.h"
#include "SQLite/IndexDefinition.h"
#include "SQLite/Result.h"
#include "SQLite/SchemaChanger.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using sql::Binding;
using sql::ColumnDefinition;
using sql::Int64;
using sql::LiteralValue;
using sql::SchemaChanger;
using sql::SQLiteVersion;

constexpr SQLiteVersion beforeDropColumn{3, 34, 1};
constexpr SQLiteVersion beforeRenameColumn{3, 24, 0};

class SchemaChangerTest : public ::testing::Test {
 protected:
  void trace() {
    db->setTrace([this](const std::string& text) { sent.push_back(text); });
  }
  std::vector<std::string> objectNames(sql::ObjectDefinition::ObjectType type) {
    std::vector<std::string> names;
    for (const auto& object : db->schema().objectDefinitions(std::nullopt, type))
      names.push_back(object.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<sql::Bindings> rows(const std::string& table) {
    return db->prepare("SELECT * FROM " + table + " ORDER BY rowid")->allRows();
  }

  std::shared_ptr<sql::Connection> db = sql::Connection::open(sql::Location::inMemory());
  std::vector<std::string> sent;
};

ColumnDefinition column(std::string name, std::optional<ColumnDefinition::Affinity> type) {
  ColumnDefinition c;
  c.name = std::move(name);
  c.type = type;
  return c;
}

TEST_F(SchemaChangerTest, AddingAColumnRunsOneAlterTable) {
  db->execute("CREATE TABLE t (a)");
  trace();
  SchemaChanger(db).alter("t", [](auto& t) { t.add(column("c", ColumnDefinition::Affinity::TEXT)); });
  EXPECT_EQ(sent,
            (std::vector<std::string>{"SELECT sqlite_version()", "ALTER TABLE \"t\" ADD COLUMN \"c\" TEXT"}));
}

TEST_F(SchemaChangerTest, InvalidAddedColumnsAndEmptyAltersRunNothing) {
  db->execute("CREATE TABLE t (a)");
  SchemaChanger changer(db);
  trace();
  auto attempt = [&](ColumnDefinition c) -> std::string {
    try {
      changer.alter("t", [&](auto& t) { t.add(c); });
    } catch (const SchemaChanger::Error& error) {
      EXPECT_EQ(error.kind(), SchemaChanger::Error::Kind::invalidColumnDefinition);
      return error.description();
    }
    return "accepted";
  };
  auto key = column("k", ColumnDefinition::Affinity::INTEGER);
  key.primaryKey = ColumnDefinition::PrimaryKey{};
  EXPECT_EQ(attempt(key), "Invalid column definition: can not add primary key column");
  auto dated = column("d", ColumnDefinition::Affinity::TEXT);
  dated.defaultValue = LiteralValue::keyword(LiteralValue::Kind::CURRENT_DATE);
  EXPECT_EQ(attempt(dated), "Invalid column definition: Invalid default value");
  auto required = column("r", ColumnDefinition::Affinity::TEXT);
  required.nullable = false;
  EXPECT_EQ(attempt(required),
            "Invalid column definition: NOT NULL columns must have a default value other than NULL");
  changer.alter("t", [](auto&) {});  // an alter that adds nothing
  EXPECT_TRUE(sent.empty());
}

TEST_F(SchemaChangerTest, DroppingAColumnNativelyFromVersion3350) {
  db->execute("CREATE TABLE t (a, b)");
  trace();
  SchemaChanger(db, {3, 35, 0}).alter("t", [](auto& t) { t.drop("b"); });
  EXPECT_EQ(sent, (std::vector<std::string>{"ALTER TABLE \"t\" DROP COLUMN \"b\""}));
}

TEST_F(SchemaChangerTest, DroppingAColumnBeforeVersion3350RebuildsTheTable) {
  db->execute(
      "CREATE TABLE t (a, b, c);"
      "CREATE INDEX ia ON t (a); CREATE INDEX ib ON t (a, b);"
      "INSERT INTO t VALUES (1, 2, 3), (4, 5, 6)");
  trace();
  SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("b"); });
  EXPECT_EQ(sent.front(), "PRAGMA foreign_keys");
  EXPECT_NE(std::find(sent.begin(), sent.end(), "BEGIN DEFERRED TRANSACTION"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "CREATE TABLE \"tmp_t\" ( \"a\",\n\"c\" )"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(),
                      "INSERT INTO \"tmp_t\" (\"a\", \"c\") SELECT \"a\", \"c\" FROM \"t\""),
            sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "DROP TABLE IF EXISTS \"t\""), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "ALTER TABLE \"tmp_t\" RENAME TO \"t\""), sent.end());
  EXPECT_EQ(rows("t"), (std::vector<sql::Bindings>{{Binding(Int64{1}), Binding(Int64{3})},
                                                   {Binding(Int64{4}), Binding(Int64{6})}}));
  EXPECT_EQ(objectNames(sql::ObjectDefinition::ObjectType::index), (std::vector<std::string>{"ia"}));
  EXPECT_EQ(db->schema().indexDefinitions("t").at(0).columns, (std::vector<std::string>{"a"}));
}

TEST_F(SchemaChangerTest, RenamingAColumnBeforeVersion3250CopiesItsValues) {
  db->execute("CREATE TABLE t (a TEXT, b INTEGER); INSERT INTO t VALUES ('x', 1)");
  SchemaChanger(db, beforeRenameColumn).alter("t", [](auto& t) { t.rename("a", "z"); });
  const auto columns = db->schema().columnDefinitions("t");
  EXPECT_EQ(columns[0].name, "z");
  EXPECT_EQ(db->scalar("SELECT z FROM t"), Binding(std::string("x")));
}

TEST_F(SchemaChangerTest, RenamingAColumnNativelyFromVersion3250) {
  db->execute("CREATE TABLE t (a)");
  trace();
  SchemaChanger(db, {3, 25, 0}).alter("t", [](auto& t) { t.rename("a", "b\"c"); });
  EXPECT_EQ(sent, (std::vector<std::string>{"ALTER TABLE \"t\" RENAME COLUMN \"a\" TO \"b\"\"c\""}));
}

TEST_F(SchemaChangerTest, ARebuildDoesNotCascadeIntoChildRows) {
  db->execute(
      "CREATE TABLE parent (id INTEGER PRIMARY KEY, extra);"
      "CREATE TABLE child (p INTEGER REFERENCES parent (id) ON DELETE CASCADE);"
      "INSERT INTO parent VALUES (1, 'x'); INSERT INTO child VALUES (1)");
  db->setForeignKeys(true);
  SchemaChanger(db, beforeDropColumn).alter("parent", [](auto& t) { t.drop("extra"); });
  EXPECT_EQ(db->scalar("SELECT count(*) FROM child"), Binding(Int64{1}));
  EXPECT_TRUE(db->foreignKeys());
  EXPECT_FALSE(db->deferForeignKeys());
  EXPECT_TRUE(db->foreignKeyCheck().empty());
}

TEST_F(SchemaChangerTest, ARebuildInsideAnOpenTransactionWithForeignKeysOnIsRefused) {
  db->execute("CREATE TABLE t (a, b)");
  db->setForeignKeys(true);
  db->execute("BEGIN");
  EXPECT_THROW(SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("b"); }),
               std::logic_error);
  db->execute("ROLLBACK");
  EXPECT_EQ(db->schema().columnDefinitions("t").size(), 2u);
}

// What a table declares survives dropping a column by rebuilding it, as the statements run after show.
TEST_F(SchemaChangerTest, DeclaredTypesKeysAndCollationsSurviveARebuild) {
  struct Step {
    std::string sql;
    std::optional<Binding> result = std::nullopt;  // a scalar query's answer; none: a statement to run
    bool fails = false;
  };
  const struct {
    std::string setup, table, dropped;
    std::vector<Step> steps;
  } cases[] = {
      {"CREATE TABLE t (code, other); INSERT INTO t VALUES ('007', 1)",  // untyped stays untyped
       "t",
       "other",
       {{"SELECT code FROM t", Binding(std::string("007"))},
        {"INSERT INTO t VALUES ('008')"},
        {"SELECT typeof(code) FROM t WHERE rowid = 2", Binding(std::string("text"))}}},
      {"CREATE TABLE t (id integer primary key autoincrement, a, b); INSERT INTO t (a, b) VALUES (1, 2)",
       "t",
       "b",
       {{"INSERT INTO t (a) VALUES (5)"},
        {"SELECT id FROM t WHERE a = 5", Binding(Int64{2})},
        {"SELECT seq FROM sqlite_sequence WHERE name = 't'", Binding(Int64{2})}}},
      {"CREATE TABLE t (a, b, c, PRIMARY KEY (a, b)); INSERT INTO t VALUES (1, 2, 3)",
       "t",
       "c",
       {{"INSERT INTO t VALUES (1, 2)", std::nullopt, true}, {"INSERT INTO t VALUES (1, 3)"}}},
      {"CREATE TABLE t (name TEXT COLLATE NOCASE, other); INSERT INTO t VALUES ('Alpha', 1)",
       "t",
       "other",
       {{"SELECT count(*) FROM t WHERE name = 'ALPHA'", Binding(Int64{1})}}},
      {"CREATE TABLE \"order items\" (a, b); INSERT INTO \"order items\" VALUES (1, 2)",
       "order items",
       "b",
       {{"SELECT count(*) FROM \"order items\" WHERE a = 1", Binding(Int64{1})}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setup);
    db = sql::Connection::open(sql::Location::inMemory());
    db->execute(c.setup);
    SchemaChanger(db, beforeDropColumn).alter(c.table, [&](auto& t) { t.drop(c.dropped); });
    for (const auto& step : c.steps) {
      if (step.result) {
        EXPECT_EQ(db->scalar(step.sql), step.result) << step.sql;
      } else if (step.fails) {
        EXPECT_THROW(db->run(step.sql), sql::Result) << step.sql;
      } else {
        db->run(step.sql);
      }
    }
  }
}

TEST_F(SchemaChangerTest, UniqueConstraintsSurviveARebuild) {
  db->execute("CREATE TABLE t (a UNIQUE, b, c, d, UNIQUE (b, c)); INSERT INTO t VALUES (1, 2, 3, 4)");
  SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("d"); });
  EXPECT_THROW(db->run("INSERT INTO t VALUES (1, 0, 0)"), sql::Result);
  EXPECT_THROW(db->run("INSERT INTO t VALUES (0, 2, 3)"), sql::Result);
  db->run("INSERT INTO t VALUES (0, 2, 0)");
  SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("c"); });
  db->run("INSERT INTO t VALUES (5, 2)");  // the constraint over b and c went with c
  EXPECT_THROW(db->run("INSERT INTO t VALUES (5, 9)"), sql::Result);
  EXPECT_EQ(db->schema().uniqueConstraints("t"), (std::vector<std::vector<std::string>>{{"a"}}));
}

TEST_F(SchemaChangerTest, TriggersAndViewsSurviveARebuild) {
  db->execute(
      "CREATE TABLE t (a, b); CREATE TABLE log (x);"
      "CREATE VIEW v AS SELECT a FROM t;"
      "CREATE TRIGGER logged AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.a); END;"
      "INSERT INTO t VALUES (1, 2)");
  SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("b"); });
  db->run("INSERT INTO t VALUES (7)");
  EXPECT_EQ(db->prepare("SELECT x FROM log")->allRows(),
            (std::vector<sql::Bindings>{{Binding(Int64{1})}, {Binding(Int64{7})}}));
  EXPECT_EQ(db->scalar("SELECT sum(a) FROM v"), Binding(Int64{8}));
  EXPECT_EQ(db->scalar("PRAGMA legacy_alter_table"), Binding(Int64{0}));
  // A caller's own setting is left as it was.
  db->execute("PRAGMA legacy_alter_table = 1; ALTER TABLE t ADD COLUMN c");
  SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("c"); });
  EXPECT_EQ(db->scalar("PRAGMA legacy_alter_table"), Binding(Int64{1}));
  EXPECT_EQ(db->scalar("SELECT sum(a) FROM v"), Binding(Int64{8}));
}

TEST_F(SchemaChangerTest, ATriggerUsingTheDroppedColumnIsKeptAndFailsLoudlyWhenItFires) {
  db->execute(
      "CREATE TABLE t (a, b); CREATE TABLE log (x);"
      "CREATE TRIGGER logged AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.b); END;");
  SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("b"); });
  EXPECT_EQ(db->schema().objectDefinitions("logged").size(), 1u);
  if (const auto error = testsupport::thrown<sql::Result>([&] { db->run("INSERT INTO t VALUES (1)"); })) {
    EXPECT_EQ(error->message(), "no such column: new.b");
  }
}

TEST_F(SchemaChangerTest, IndexesKeepTheirNamesThroughRepeatedRebuilds) {
  const std::string name(61, 'i');
  db->execute("CREATE TABLE t (a, b, c, d); CREATE INDEX " + name + " ON t (a DESC) WHERE a > 0");
  SchemaChanger changer(db, beforeDropColumn);
  changer.alter("t", [](auto& t) { t.drop("b"); });
  changer.alter("t", [](auto& t) { t.drop("c"); });
  const auto indexes = db->schema().indexDefinitions("t");
  ASSERT_EQ(indexes.size(), 1u);
  EXPECT_EQ(indexes[0], (sql::IndexDefinition{"t",
                                              name,
                                              false,
                                              {"a"},
                                              "a > 0",
                                              std::map<std::string, sql::IndexDefinition::Order>{
                                                  {"a", sql::IndexDefinition::Order::DESC}}}));
}

TEST_F(SchemaChangerTest, DanglingReferencesFailTheRebuildAndRestoreTheSwitches) {
  db->execute(
      "CREATE TABLE parent (id INTEGER PRIMARY KEY, extra);"
      "CREATE TABLE child (p INTEGER REFERENCES parent (id));"
      "INSERT INTO child VALUES (9)");
  db->setForeignKeys(true);
  db->setDeferForeignKeys(false);
  if (const auto error = testsupport::thrown<SchemaChanger::Error>(
          [&] { SchemaChanger(db, beforeDropColumn).alter("parent", [](auto& t) { t.drop("extra"); }); })) {
    EXPECT_EQ(error->kind(), SchemaChanger::Error::Kind::foreignKeyError);
    EXPECT_EQ(error->description(), "Foreign key errors: [child [1] => parent]");
  }
  EXPECT_EQ(db->schema().columnDefinitions("parent").size(), 2u);
  EXPECT_TRUE(db->foreignKeys());
  EXPECT_FALSE(db->deferForeignKeys());
}

TEST_F(SchemaChangerTest, DroppingTheLastColumnByRebuildFailsInsideTheTransaction) {
  db->execute("CREATE TABLE t (a); INSERT INTO t VALUES (1)");
  EXPECT_THROW(SchemaChanger(db, beforeDropColumn).alter("t", [](auto& t) { t.drop("a"); }),
               std::invalid_argument);
  EXPECT_EQ(rows("t"), (std::vector<sql::Bindings>{{Binding(Int64{1})}}));
}

TEST_F(SchemaChangerTest, TheZeroVersionAlwaysRebuilds) {
  EXPECT_FALSE(SchemaChanger::Operation::dropColumn("a").nativeSQL("t", SQLiteVersion{}));
  EXPECT_FALSE(SchemaChanger::Operation::renameColumn("a", "b").nativeSQL("t", SQLiteVersion{}));
  EXPECT_FALSE(SchemaChanger::Operation::renameTable("u").nativeSQL("t", SQLiteVersion{3, 40, 1}));
  EXPECT_TRUE(SchemaChanger::Operation::addColumn(column("c", std::nullopt)).nativeSQL("t", SQLiteVersion{}));
}

TEST_F(SchemaChangerTest, DropAndRenameTables) {
  db->execute("CREATE TABLE t (a); CREATE TABLE u (a)");
  SchemaChanger changer(db);
  trace();
  changer.drop("t", false);
  changer.drop("missing", true);
  changer.rename("u", "v");
  EXPECT_EQ(sent, (std::vector<std::string>{"DROP TABLE  \"t\"", "DROP TABLE IF EXISTS \"missing\"",
                                            "ALTER TABLE \"u\" RENAME TO \"v\""}));
  EXPECT_THROW(changer.drop("t", false), sql::Result);
}

TEST(SchemaChangerIntegration, DescribesItselfByTheDatabaseFile) {
  testsupport::TemporaryFolder folder{"sqlite-test-"};
  auto db = sql::Connection::open(folder.file("db.sqlite3"));
  EXPECT_EQ(SchemaChanger(db).description(), "SQLiteSchemaChanger: " + folder.file("db.sqlite3"));
  EXPECT_EQ(SchemaChanger(db).version(), (SQLiteVersion{3, 40, 1}));
}

}  // namespace
