#include "SQLite/Connection.h"
#include "SQLite/SchemaReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace {

using sql::ColumnDefinition;
using sql::IndexDefinition;
using sql::LiteralValue;
using Affinity = ColumnDefinition::Affinity;
using Type = sql::ObjectDefinition::ObjectType;

class SchemaReaderTest : public ::testing::Test {
 protected:
  std::shared_ptr<sql::Connection> db = sql::Connection::open(sql::Location::inMemory());
  sql::SchemaReader reader = db->schema();
};

TEST_F(SchemaReaderTest, ColumnsWithKeysTypesDefaultsAndReferences) {
  db->execute(
      "CREATE TABLE users (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL DEFAULT 'x');"
      "CREATE TABLE posts (id INTEGER PRIMARY KEY ON CONFLICT IGNORE, owner INTEGER REFERENCES users (id) ON "
      "DELETE CASCADE, created DEFAULT CURRENT_TIMESTAMP, score REAL, data BLOB, price DECIMAL(10,2))");
  const auto users = reader.columnDefinitions("users");
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].primaryKey, (ColumnDefinition::PrimaryKey{true, std::nullopt}));
  EXPECT_EQ(users[1].definitionSQL(), "\"name\" TEXT DEFAULT 'x' NOT NULL");

  const auto posts = reader.columnDefinitions("posts");
  ASSERT_EQ(posts.size(), 6u);
  EXPECT_EQ(posts[0].primaryKey, (ColumnDefinition::PrimaryKey{false, ColumnDefinition::OnConflict::IGNORE}));
  EXPECT_EQ(posts[1].references,
            (ColumnDefinition::ForeignKey{"users", "owner", "id", std::nullopt, "CASCADE"}));
  EXPECT_FALSE(posts[2].type);
  EXPECT_EQ(posts[2].defaultValue, LiteralValue::keyword(LiteralValue::Kind::CURRENT_TIMESTAMP));
  EXPECT_EQ(posts[3].type, Affinity::REAL);
  EXPECT_EQ(posts[4].type, Affinity::BLOB);
  EXPECT_EQ(posts[5].type, Affinity::NUMERIC);
  EXPECT_TRUE(posts[5].nullable);
}

TEST_F(SchemaReaderTest, APrimaryKeyWrittenInLowerCaseIsStillRead) {
  db->execute("CREATE TABLE t (id integer primary key autoincrement, v)");
  EXPECT_EQ(reader.columnDefinitions("t")[0].primaryKey, (ColumnDefinition::PrimaryKey{true, std::nullopt}));
  db->execute("CREATE TABLE u (id integer primary key on conflict replace)");
  EXPECT_EQ(reader.columnDefinitions("u")[0].primaryKey,
            (ColumnDefinition::PrimaryKey{false, ColumnDefinition::OnConflict::REPLACE}));
}

TEST_F(SchemaReaderTest, AMissingTableHasNoColumns) {
  EXPECT_TRUE(reader.columnDefinitions("missing").empty());
  EXPECT_TRUE(reader.indexDefinitions("missing").empty());
  EXPECT_TRUE(reader.foreignKeys("missing").empty());
}

TEST_F(SchemaReaderTest, ObjectsOfTheCatalogue) {
  db->execute("CREATE TABLE t (a UNIQUE); CREATE VIEW v AS SELECT a FROM t; CREATE TEMP TABLE scratch (b)");
  const auto all = reader.objectDefinitions();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0],
            (sql::ObjectDefinition{Type::table, "t", "t", all[0].rootpage, "CREATE TABLE t (a UNIQUE)"}));
  EXPECT_TRUE(all[1].isEngineInternal());
  EXPECT_EQ(all[2].type, Type::view);
  EXPECT_EQ(all[2].rootpage, 0);
  EXPECT_EQ(reader.objectDefinitions("v", Type::view).size(), 1u);
  EXPECT_TRUE(reader.objectDefinitions("v", Type::table).empty());
  EXPECT_EQ(reader.objectDefinitions(std::nullopt, Type::table, true).at(0).name, "scratch");
  EXPECT_EQ(reader.tableSQL("scratch"), "CREATE TABLE scratch (b)");
  EXPECT_FALSE(reader.tableSQL("v"));
}

TEST_F(SchemaReaderTest, TheCatalogueQueryTexts) {
  std::vector<std::string> sent;
  db->setTrace([&](const std::string& text) { sent.push_back(text); });
  reader.objectDefinitions("n", Type::index);
  reader.objectDefinitions("n", std::nullopt, true);
  EXPECT_EQ(
      sent,
      (std::vector<std::string>{
          "SELECT sqlite_version()",
          "SELECT * FROM \"main\".\"sqlite_schema\" WHERE ((\"name\" = 'n') AND (\"type\" = 'index'))",
          "SELECT sqlite_version()", "SELECT * FROM \"temp\".\"sqlite_schema\" WHERE (\"name\" = 'n')"}));
}

TEST_F(SchemaReaderTest, ThePragmaTexts) {
  db->execute("CREATE TABLE \"a\"\"b\" (x); CREATE INDEX \"i\"\"j\" ON \"a\"\"b\" (x)");
  std::vector<std::string> sent;
  db->setTrace([&](const std::string& text) { sent.push_back(text); });
  reader.columnDefinitions("a\"b");
  reader.indexDefinitions("a\"b");
  const std::vector<std::string> pragmas{"PRAGMA foreign_key_list(\"a\"\"b\")",
                                         "PRAGMA table_info(\"a\"\"b\")", "PRAGMA index_list(\"a\"\"b\")",
                                         "PRAGMA index_info(\"i\"\"j\")"};
  std::vector<std::string> seen;
  std::copy_if(sent.begin(), sent.end(), std::back_inserter(seen),
               [](const auto& t) { return t.starts_with("PRAGMA"); });
  EXPECT_EQ(seen, pragmas);
}

TEST_F(SchemaReaderTest, IndexesWithOrdersAndConditions) {
  db->execute(
      "CREATE TABLE t (a UNIQUE, b, c);"
      "CREATE INDEX byb ON t (a, b DESC);"
      "CREATE UNIQUE INDEX partial ON t (c) WHERE c > 0;"
      "CREATE INDEX spread ON t (c) WHERE c > 0\n AND b < 1;"
      "CREATE INDEX expr ON t (a, lower(b))");
  auto indexes = reader.indexDefinitions("t");
  std::sort(indexes.begin(), indexes.end(), [](const auto& l, const auto& r) { return l.name < r.name; });
  ASSERT_EQ(indexes.size(), 4u);
  EXPECT_EQ(
      indexes[0],
      (IndexDefinition{"t",
                       "byb",
                       false,
                       {"a", "b"},
                       std::nullopt,
                       std::map<std::string, IndexDefinition::Order>{{"b", IndexDefinition::Order::DESC}}}));
  EXPECT_EQ(indexes[1].columns, (std::vector<std::string>{"a"}));
  EXPECT_EQ(indexes[2],
            (IndexDefinition{
                "t", "partial", true, {"c"}, "c > 0", std::map<std::string, IndexDefinition::Order>{}}));
  EXPECT_FALSE(indexes[3].where);
}

TEST_F(SchemaReaderTest, ForeignKeysWithTheirActions) {
  db->execute(
      "CREATE TABLE p (id INTEGER PRIMARY KEY);"
      "CREATE TABLE c (x REFERENCES p, y REFERENCES p (id) ON UPDATE SET NULL)");
  auto keys = reader.foreignKeys("c");
  std::sort(keys.begin(), keys.end(), [](const auto& l, const auto& r) { return l.column < r.column; });
  EXPECT_EQ(keys,
            (std::vector<ColumnDefinition::ForeignKey>{{"p", "x", std::nullopt, std::nullopt, std::nullopt},
                                                       {"p", "y", "id", "SET NULL", std::nullopt}}));
}

}  // namespace
