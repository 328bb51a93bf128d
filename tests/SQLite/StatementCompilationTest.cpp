#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "SQLite/Query/Table.h"

namespace sql {
namespace {

const Expression<Int64> id("id");
const Expression<std::string> name("name");
const Expression<std::string> content("content");
const Expression<Int64> a("a");
const Expression<Int64> b("b");

TEST(StatementCompilationTest, InsertFromSetters) {
  Table prompts("prompts");
  auto insert = prompts.insert(assign(name, "n"), assign(content, "c"));
  EXPECT_EQ(insert.template_(), "INSERT INTO \"prompts\" (\"name\", \"content\") VALUES (?, ?)");
  EXPECT_EQ(insert.asSQL(), "INSERT INTO \"prompts\" (\"name\", \"content\") VALUES ('n', 'c')");
  EXPECT_EQ(prompts.insert(OnConflict::replace, {assign(name, "n")}).template_(),
            "INSERT OR REPLACE INTO \"prompts\" (\"name\") VALUES (?)");
  EXPECT_EQ(prompts.insert(std::vector<Setter>{}).template_(), "INSERT INTO \"prompts\" () VALUES ()");
}

TEST(StatementCompilationTest, InsertNamesAnAliasedTableByItsAliasAndKeepsAFilter) {
  auto insert = Table("t", "main").alias("x").filter(a == 1).insert(assign(b, 2));
  EXPECT_EQ(insert.asSQL(), "INSERT INTO \"main\".\"x\" (\"b\") VALUES (2) WHERE (\"a\" = 1)");
}

TEST(StatementCompilationTest, InsertOfManyRowsUsesTheFirstRowsColumnOrder) {
  Table t("t");
  auto insert = t.insertMany({{assign(a, 1), assign(b, 2)}, {assign(b, 4), assign(a, 3)}});
  EXPECT_EQ(insert.template_(), "INSERT INTO \"t\" (\"a\", \"b\") VALUES (?, ?), (?, ?)");
  EXPECT_EQ(insert.asSQL(), "INSERT INTO \"t\" (\"a\", \"b\") VALUES (1, 2), (3, 4)");
  EXPECT_EQ(t.insertMany(OnConflict::ignore, {{assign(a, 1)}}).template_(),
            "INSERT OR IGNORE INTO \"t\" (\"a\") VALUES (?)");
  EXPECT_EQ(t.insertMany({}).template_(), "INSERT INTO \"t\" DEFAULT VALUES");
}

TEST(StatementCompilationTest, InsertOfManyRowsRejectsRowsThatSetOtherColumns) {
  Table t("t");
  EXPECT_THROW(t.insertMany({{assign(a, 1), assign(b, 2)}, {assign(a, 3)}}), std::invalid_argument);
  EXPECT_THROW(t.insertMany({{assign(a, 1)}, {assign(b, 3)}}), std::invalid_argument);
}

TEST(StatementCompilationTest, InsertDefaultValuesAndFromAQuery) {
  EXPECT_EQ(Table("t").insertDefaultValues().template_(), "INSERT INTO \"t\" DEFAULT VALUES");
  auto fromQuery = Table("t").insert(Table("u").filter(a == 5));
  EXPECT_EQ(fromQuery.asSQL(), "INSERT INTO \"t\" SELECT * FROM \"u\" WHERE (\"a\" = 5)");
}

TEST(StatementCompilationTest, UpsertAssignsExcludedValuesToEveryOtherColumn) {
  Table prompts("prompts");
  auto upsert = prompts.upsert({assign(id, 1), assign(name, "x")}, id);
  EXPECT_EQ(upsert.template_(),
            "INSERT INTO \"prompts\" (\"id\", \"name\") VALUES (?, ?) ON CONFLICT (\"id\") DO UPDATE SET "
            "\"name\" = "
            "\"excluded\".\"name\"");
  EXPECT_EQ(upsert.bindings().size(), 2U);
  EXPECT_EQ(prompts.upsert({assign(id, 1)}, id).template_(),
            "INSERT INTO \"prompts\" (\"id\") VALUES (?) ON CONFLICT (\"id\") DO UPDATE SET ");
  auto explicitSet = prompts.upsert({assign(id, 1), assign(name, "x")}, id, {assign(name, "y")});
  EXPECT_EQ(explicitSet.asSQL(),
            "INSERT INTO \"prompts\" (\"id\", \"name\") VALUES (1, 'x') ON CONFLICT (\"id\") DO UPDATE SET "
            "\"name\" = "
            "'y'");
}

TEST(StatementCompilationTest, UpdateWithFilterOrderAndLimit) {
  Table pipelines("pipelines");
  auto update = pipelines.filter(id == 3).update(assign(name, "n"));
  EXPECT_EQ(update.template_(), "UPDATE \"pipelines\" SET \"name\" = ? WHERE (\"id\" = ?)");
  ASSERT_EQ(update.bindings().size(), 2U);
  EXPECT_EQ(update.bindings()[0], std::optional<Binding>(std::string("n")));
  EXPECT_EQ(update.bindings()[1], std::optional<Binding>(Int64{3}));
  EXPECT_EQ(pipelines.order(id.desc()).limit(2).update(std::vector<Setter>{increment(id)}).asSQL(),
            "UPDATE \"pipelines\" SET \"id\" = (\"id\" + 1) ORDER BY \"id\" DESC LIMIT 2");
  EXPECT_EQ(pipelines.filter(Expression<bool>::literal("P")).update(std::vector<Setter>{}).template_(),
            "UPDATE \"pipelines\" SET  WHERE P");
}

TEST(StatementCompilationTest, DeleteWithAndWithoutFilter) {
  Table jobs("jobs");
  EXPECT_EQ(jobs.delete_().template_(), "DELETE FROM \"jobs\"");
  EXPECT_EQ(jobs.filter(Expression<bool>::literal("P")).delete_().template_(),
            "DELETE FROM \"jobs\" WHERE P");
  EXPECT_EQ(jobs.alias("j").order(id).limit(1, 2).delete_().template_(),
            "DELETE FROM \"j\" ORDER BY \"id\" LIMIT 1 OFFSET 2");
}

TEST(StatementCompilationTest, TheTextFormWritesLiteralsInPlaceOfMarks) {
  Update update("UPDATE \"t\" SET \"a\" = ?, \"b\" = ?, \"c\" = ?",
                {Binding{std::string("o'clock")}, std::nullopt, Binding{Int64{3}}});
  EXPECT_EQ(update.description(), "UPDATE \"t\" SET \"a\" = 'o''clock', \"b\" = NULL, \"c\" = 3");
}

}  // namespace
}  // namespace sql
