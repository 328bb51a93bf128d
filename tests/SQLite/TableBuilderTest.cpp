#include "SQLite/Query/TableBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "SQLite/Query/Table.h"

namespace sql {
namespace {

const Expression<Int64> id("id");
const Expression<std::string> name("name");
const Expression<std::optional<std::string>> nickname("name");
const Expression<Int64> n("n");
const Expression<std::optional<Int64>> parentId("parentId");

std::string definitionOf(const std::function<void(TableBuilder&)>& block) {
  TableBuilder builder;
  block(builder);
  return join(", ", builder.definitions()).asSQL();
}

TEST(TableBuilderTest, RequiredAndOptionalColumns) {
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(name); }), "\"name\" TEXT NOT NULL");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(nickname); }), "\"name\" TEXT");
}

TEST(TableBuilderTest, PrimaryKeys) {
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(id, {.primaryKey = PrimaryKey::autoincrement}); }),
            "\"id\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(id, {.primaryKey = PrimaryKey::default_}); }),
            "\"id\" INTEGER PRIMARY KEY NOT NULL");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(id, {.primaryKey = std::nullopt}); }),
            "\"id\" INTEGER NOT NULL");
}

TEST(TableBuilderTest, AllPartsInTheirOrder) {
  Table parents("parents", "main");
  auto text = definitionOf([&](TableBuilder& t) {
    t.column(n, {.primaryKey = PrimaryKey::default_,
                 .unique = true,
                 .check = n > 0,
                 .defaultValue = Int64{7},
                 .references = references(parents, id),
                 .collate = Collation::nocase()});
  });
  EXPECT_EQ(text,
            "\"n\" INTEGER PRIMARY KEY NOT NULL UNIQUE CHECK (\"n\" > 0) DEFAULT (7) REFERENCES \"parents\" "
            "(\"id\") "
            "COLLATE NOCASE");
}

TEST(TableBuilderTest, DefaultsAreWrittenAsLiterals) {
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(name, {.defaultValue = std::string("abc")}); }),
            "\"name\" TEXT NOT NULL DEFAULT ('abc')");
  EXPECT_EQ(definitionOf([](TableBuilder& t) {
              t.column(nickname,
                       {.defaultValue = Expression<std::optional<std::string>>::value(std::nullopt)});
            }),
            "\"name\" TEXT DEFAULT (NULL)");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(n, {.defaultValue = n + 1}); }),
            "\"n\" INTEGER NOT NULL DEFAULT ((\"n\" + 1))");
  const Date moment{std::chrono::milliseconds{1709647629250}};
  EXPECT_EQ(definitionOf(
                [&](TableBuilder& t) { t.column(Expression<Date>("executedAt"), {.defaultValue = moment}); }),
            "\"executedAt\" TEXT NOT NULL DEFAULT ('2024-03-05T14:07:09.250')");
}

TEST(TableBuilderTest, ChecksAndCollations) {
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(parentId, {.check = parentId > 0}); }),
            "\"parentId\" INTEGER CHECK (\"parentId\" > 0)");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(n, {.check = between(n, 1, 9)}); }),
            "\"n\" INTEGER NOT NULL CHECK (\"n\" BETWEEN 1 AND 9)");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(n, {.check = (n > 0) && (n < 9)}); }),
            "\"n\" INTEGER NOT NULL CHECK ((\"n\" > 0) AND (\"n\" < 9))");
  const Expression<bool> split("(\"a\" > 0) AND (\"b)\" > 0)", {});
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.column(n, {.check = split}); }),
            "\"n\" INTEGER NOT NULL CHECK ((\"a\" > 0) AND (\"b)\" > 0))");
  EXPECT_EQ(definitionOf([](TableBuilder& t) { t.column(name, {.collate = Collation::custom("latin")}); }),
            "\"name\" TEXT NOT NULL COLLATE \"latin\"");
}

TEST(TableBuilderTest, TableConstraints) {
  const Expression<Int64> a("a");
  const Expression<std::string> b("b");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.primaryKey(a, b); }), "PRIMARY KEY (\"a\", \"b\")");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.unique(a, b); }), "UNIQUE (\"a\", \"b\")");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.unique(std::vector<Expression<void>>{}); }), "UNIQUE ()");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.check(a > 1); }), "CHECK ((\"a\" > 1))");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.check(between(a, 1, 2)); }),
            "CHECK (\"a\" BETWEEN 1 AND 2)");
}

TEST(TableBuilderTest, ForeignKeys) {
  Table parents("parents", "main");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) {
              t.foreignKey(parentId, parents, id, std::nullopt, Dependency::setNull);
            }),
            "FOREIGN KEY (\"parentId\") REFERENCES \"parents\" (\"id\") ON DELETE SET NULL");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) {
              t.foreignKey(n, parents.alias("p"), id, Dependency::restrict, Dependency::cascade);
            }),
            "FOREIGN KEY (\"n\") REFERENCES \"p\" (\"id\") ON UPDATE RESTRICT ON DELETE CASCADE");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) { t.foreignKey(n, parents, id); }),
            "FOREIGN KEY (\"n\") REFERENCES \"parents\" (\"id\")");
  const Expression<std::string> code("code");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) {
              t.foreignKey(std::tuple(n, code), parents, std::tuple(id, code), std::nullopt,
                           Dependency::noAction);
            }),
            "FOREIGN KEY (\"n\", \"code\") REFERENCES \"parents\" (\"id\", \"code\") ON DELETE NO ACTION");
  EXPECT_EQ(definitionOf([&](TableBuilder& t) {
              t.foreignKey(std::tuple(n, code, id), parents, std::tuple(id, code, n), Dependency::setDefault);
            }),
            "FOREIGN KEY (\"n\", \"code\", \"id\") REFERENCES \"parents\" (\"id\", \"code\", \"n\") ON "
            "UPDATE SET DEFAULT");
}

TEST(TableBuilderTest, DependenciesFromText) {
  EXPECT_EQ(dependencyFromRawText("SET DEFAULT"), Dependency::setDefault);
  EXPECT_EQ(dependencyFromRawText("cascade"), std::nullopt);
  EXPECT_EQ(rawText(Dependency::cascade), "CASCADE");
}

TEST(TableBuilderTest, CreateStatements) {
  Table t("t");
  auto text = t.create({.ifNotExists = true}, [](TableBuilder& b) {
    b.column(id, {.primaryKey = PrimaryKey::autoincrement});
    b.column(name);
  });
  EXPECT_EQ(text,
            "CREATE TABLE IF NOT EXISTS \"t\" (\"id\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, \"name\" "
            "TEXT NOT "
            "NULL)");
  EXPECT_EQ(t.create({.temporary = true, .withoutRowid = true}, [](TableBuilder& b) { b.column(id); }),
            "CREATE TEMPORARY TABLE \"t\" (\"id\" INTEGER NOT NULL) WITHOUT ROWID");
  EXPECT_EQ(Table("t", "db").alias("x").create({}, [](TableBuilder&) {}), "CREATE TABLE \"db\".\"x\" ()");
}

template <class C, class O>
concept AcceptsOptions = requires(TableBuilder& t, const C& c, const O& o) {
  t.column(c, o);
};
static_assert(!AcceptsOptions<Expression<Int64>, ColumnOptions<std::string>>);
static_assert(AcceptsOptions<Expression<std::optional<Int64>>, OptionalColumnOptions<Int64>>);

}  // namespace
}  // namespace sql
