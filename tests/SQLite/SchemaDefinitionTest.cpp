#include "SQLite/ColumnDefinition.h"
#include "SQLite/ForeignKeyError.h"
#include "SQLite/IndexDefinition.h"
#include "SQLite/LiteralValue.h"
#include "SQLite/ObjectDefinition.h"
#include "SQLite/SchemaSQL.h"

#include <gtest/gtest.h>

namespace {

using sql::ColumnDefinition;
using sql::IndexDefinition;
using sql::LiteralValue;
using Affinity = ColumnDefinition::Affinity;

ColumnDefinition column(std::string name, std::optional<Affinity> type) {
  ColumnDefinition c;
  c.name = std::move(name);
  c.type = type;
  return c;
}

TEST(LiteralValue, RendersEachKind) {
  EXPECT_EQ(LiteralValue::numericLiteral("1.5").description(), "1.5");
  EXPECT_EQ(LiteralValue::stringLiteral("it's").description(), "'it''s'");
  EXPECT_EQ(LiteralValue::stringLiteral("").description(), "''");
  EXPECT_EQ(LiteralValue::blobLiteral("0A1B").description(), "X'0A1B'");
  EXPECT_EQ(LiteralValue::keyword(LiteralValue::Kind::NULL_).description(), "NULL");
  EXPECT_EQ(LiteralValue::keyword(LiteralValue::Kind::TRUE_).description(), "TRUE");
  EXPECT_EQ(LiteralValue::keyword(LiteralValue::Kind::FALSE_).description(), "FALSE");
  EXPECT_EQ(LiteralValue::keyword(LiteralValue::Kind::CURRENT_TIME).description(), "CURRENT_TIME");
  EXPECT_EQ(LiteralValue::keyword(LiteralValue::Kind::CURRENT_DATE).description(), "CURRENT_DATE");
  EXPECT_EQ(LiteralValue::keyword(LiteralValue::Kind::CURRENT_TIMESTAMP).description(), "CURRENT_TIMESTAMP");
}

TEST(LiteralValue, ParsesDefaultsAsThePragmaReportsThem) {
  EXPECT_EQ(LiteralValue::fromSQLText(std::nullopt), LiteralValue::keyword(LiteralValue::Kind::NULL_));
  EXPECT_EQ(LiteralValue::fromSQLText("CURRENT_TIMESTAMP"),
            LiteralValue::keyword(LiteralValue::Kind::CURRENT_TIMESTAMP));
  EXPECT_EQ(LiteralValue::fromSQLText("'a''b'"), LiteralValue::stringLiteral("a'b"));
  EXPECT_EQ(LiteralValue::fromSQLText("\"a\"\"b\""), LiteralValue::stringLiteral("a\"b"));
  EXPECT_EQ(LiteralValue::fromSQLText("''"), LiteralValue::stringLiteral(""));
  EXPECT_EQ(LiteralValue::fromSQLText("x'FF'"), LiteralValue::blobLiteral("FF"));
  EXPECT_EQ(LiteralValue::fromSQLText("X'FF'"), LiteralValue::blobLiteral("FF"));
  EXPECT_EQ(LiteralValue::fromSQLText("null"), LiteralValue::numericLiteral("null"));
  EXPECT_EQ(LiteralValue::fromSQLText("(1 + 2)"), LiteralValue::numericLiteral("(1 + 2)"));
  EXPECT_EQ(LiteralValue::fromSQLText("'a\nb'"), LiteralValue::numericLiteral("'a\nb'"));
}

TEST(ColumnDefinition, AffinityFollowsTheEngineRules) {
  EXPECT_EQ(ColumnDefinition::affinityOf("varchar(20)"), Affinity::TEXT);
  EXPECT_EQ(ColumnDefinition::affinityOf("Big Int"), Affinity::INTEGER);
  EXPECT_EQ(ColumnDefinition::affinityOf("blob"), Affinity::BLOB);
  EXPECT_EQ(ColumnDefinition::affinityOf("double precision"), Affinity::REAL);
  EXPECT_EQ(ColumnDefinition::affinityOf(""), Affinity::NUMERIC);
  EXPECT_EQ(ColumnDefinition::affinityOf("DECIMAL(10,5)"), Affinity::NUMERIC);
  EXPECT_EQ(ColumnDefinition::affinityOf("FLOATING POINT"), Affinity::INTEGER);
  EXPECT_EQ(ColumnDefinition::affinity("REAL"), Affinity::REAL);
  EXPECT_FALSE(ColumnDefinition::affinity("real"));
  EXPECT_EQ(ColumnDefinition::onConflict("IGNORE"), ColumnDefinition::OnConflict::IGNORE);
  EXPECT_FALSE(ColumnDefinition::onConflict("ignore"));
}

TEST(ColumnDefinition, ClausesAndDefinitions) {
  EXPECT_EQ((ColumnDefinition::PrimaryKey{true, ColumnDefinition::OnConflict::REPLACE}).clauseSQL(),
            "PRIMARY KEY AUTOINCREMENT ON CONFLICT REPLACE");
  EXPECT_EQ((ColumnDefinition::PrimaryKey{}).clauseSQL(), "PRIMARY KEY");
  EXPECT_EQ((ColumnDefinition::ForeignKey{"users", "owner", "id", std::nullopt, "CASCADE"}).clauseSQL(),
            "REFERENCES \"users\" (\"id\") ON DELETE CASCADE");
  EXPECT_EQ(
      (ColumnDefinition::ForeignKey{"users", "owner", std::nullopt, "SET NULL", std::nullopt}).clauseSQL(),
      "REFERENCES \"users\" ON UPDATE SET NULL");

  auto id = column("id", Affinity::INTEGER);
  id.primaryKey = ColumnDefinition::PrimaryKey{true, std::nullopt};
  id.nullable = false;
  EXPECT_EQ(id.definitionSQL(), "\"id\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL");
  auto name = column("name", Affinity::TEXT);
  name.defaultValue = LiteralValue::stringLiteral("x");
  name.nullable = false;
  EXPECT_EQ(name.definitionSQL(), "\"name\" TEXT DEFAULT 'x' NOT NULL");
  EXPECT_EQ(column("c", Affinity::NUMERIC).definitionSQL(), "\"c\" NUMERIC");
  EXPECT_EQ(column("a\"b", Affinity::BLOB).definitionSQL(), "\"a\"\"b\" BLOB");
  EXPECT_EQ(column("untyped", std::nullopt).definitionSQL(), "\"untyped\"");
  auto folded = column("f", Affinity::TEXT);
  folded.nullable = false;
  folded.defaultValue = LiteralValue::stringLiteral("");
  folded.collation = "NOCASE";
  folded.references = ColumnDefinition::ForeignKey{"u", "f", std::nullopt, std::nullopt, std::nullopt};
  EXPECT_EQ(folded.definitionSQL(), "\"f\" TEXT DEFAULT '' NOT NULL COLLATE \"NOCASE\" REFERENCES \"u\"");
}

TEST(IndexDefinition, CreateStatements) {
  const IndexDefinition index{
      "t",     "idx",
      true,    {"a", "b"},
      "a > 0", std::map<std::string, IndexDefinition::Order>{{"b", IndexDefinition::Order::DESC}}};
  EXPECT_EQ(index.createSQL(), "CREATE UNIQUE INDEX \"idx\" ON \"t\" (\"a\", \"b\" DESC) WHERE a > 0");
  const IndexDefinition plain{"t",        "i",          false,
                              {"a", "b"}, std::nullopt, std::map<std::string, IndexDefinition::Order>{}};
  EXPECT_EQ(plain.createSQL(true), "CREATE INDEX IF NOT EXISTS \"i\" ON \"t\" (\"a\", \"b\")");
}

TEST(IndexDefinition, ConditionsAndOrdersFromStoredText) {
  EXPECT_EQ(IndexDefinition::whereOf("CREATE INDEX i ON t (a) WHERE a > 0"), "a > 0");
  EXPECT_FALSE(IndexDefinition::whereOf("CREATE INDEX i ON t (a)"));
  EXPECT_FALSE(IndexDefinition::whereOf("CREATE INDEX i ON t (a) WHERE a > 0\n AND b < 1"));
  EXPECT_EQ(IndexDefinition::ordersOf("CREATE INDEX i ON t (a, \"b\" DESC, c ASC)"),
            (std::map<std::string, IndexDefinition::Order>{{"b", IndexDefinition::Order::DESC}}));
}

TEST(IndexDefinition, TooLongNames) {
  EXPECT_EQ(IndexDefinition::IndexError::tooLong("idx", "t").description(),
            "Index name 'idx' on table 't' is too long; the limit is 64 characters");
}

TEST(ObjectDefinition, EngineInternalObjects) {
  using Type = sql::ObjectDefinition::ObjectType;
  EXPECT_TRUE((sql::ObjectDefinition{Type::index, "sqlite_autoindex_t_1", "t", 3, "x"}).isEngineInternal());
  EXPECT_TRUE((sql::ObjectDefinition{Type::index, "mine", "t", 3, std::nullopt}).isEngineInternal());
  EXPECT_FALSE(
      (sql::ObjectDefinition{Type::table, "SQLITE_x", "SQLITE_x", 2, "CREATE TABLE ..."}).isEngineInternal());
  EXPECT_EQ(sql::ObjectDefinition::objectType("trigger"), Type::trigger);
  EXPECT_FALSE(sql::ObjectDefinition::objectType("Table"));
}

TEST(ForeignKeyError, Description) {
  EXPECT_EQ((sql::ForeignKeyError{"child", 12, "parent"}).description(), "child [12] => parent");
}

TEST(SchemaSQL, CreateTableAndCopyRows) {
  const std::vector<ColumnDefinition> columns{column("a", Affinity::INTEGER), column("b", Affinity::TEXT)};
  EXPECT_EQ(sql::createTableSQL(false, "t", columns), "CREATE TABLE \"t\" ( \"a\" INTEGER,\n\"b\" TEXT )");
  EXPECT_EQ(sql::createTableSQL(true, "my table", columns),
            "CREATE TEMPORARY TABLE \"my table\" ( \"a\" INTEGER,\n\"b\" TEXT )");
  EXPECT_EQ(sql::quotedColumnNames(columns), "\"a\", \"b\"");
  EXPECT_EQ(
      sql::copyRowsSQL("new", columns, "old", {column("x", Affinity::INTEGER), column("y", Affinity::TEXT)}),
      "INSERT INTO \"new\" (\"a\", \"b\") SELECT \"x\", \"y\" FROM \"old\"");
  EXPECT_EQ(sql::createTableSQL(false, "t", columns, {{"a"}, {"a", "b"}}),
            "CREATE TABLE \"t\" ( \"a\" INTEGER,\n\"b\" TEXT,\nUNIQUE (\"a\"),\nUNIQUE (\"a\", \"b\") )");
  EXPECT_THROW(sql::createTableSQL(false, "t", {}), std::invalid_argument);
  EXPECT_THROW(sql::copyRowsSQL("n", columns, "o", {}), std::invalid_argument);
  EXPECT_THROW(sql::copyRowsSQL("n", columns, "o", {columns[0]}), std::invalid_argument);
}

TEST(SchemaSQL, AKeyOverSeveralColumnsBecomesATableConstraint) {
  auto a = column("a", Affinity::INTEGER);
  auto b = column("b", Affinity::TEXT);
  a.primaryKey = b.primaryKey = ColumnDefinition::PrimaryKey{};
  EXPECT_EQ(sql::createTableSQL(false, "t", {a, b}),
            "CREATE TABLE \"t\" ( \"a\" INTEGER,\n\"b\" TEXT,\nPRIMARY KEY (\"a\", \"b\") )");
}

}  // namespace
