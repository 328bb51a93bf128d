#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "SQLite/Query/Collation.h"
#include "SQLite/Query/Module.h"
#include "SQLite/Query/Table.h"
#include "SQLite/Query/View.h"
#include "SQLite/Query/VirtualTable.h"

namespace sql {
namespace {

const Expression<Int64> order("order");
const Expression<Int64> pipelineId("pipelineId");

TEST(SchemaStatementTest, Drops) {
  EXPECT_EQ(Table("t", "aux").drop(true), "DROP TABLE IF EXISTS \"aux\".\"t\"");
  EXPECT_EQ(Table("t").drop(false), "DROP TABLE \"t\"");
  EXPECT_EQ(View("v").drop(true), "DROP VIEW IF EXISTS \"v\"");
}

TEST(SchemaStatementTest, CreateFromAQueryWritesValuesAsLiterals) {
  auto query = Table("jobs").filter(order == 3);
  EXPECT_EQ(View("v").create(query, {.temporary = true}),
            "CREATE TEMPORARY VIEW \"v\" AS SELECT * FROM \"jobs\" WHERE (\"order\" = 3)");
  EXPECT_EQ(Table("copy").create(query, {.ifNotExists = true}),
            "CREATE TABLE IF NOT EXISTS \"copy\" AS SELECT * FROM \"jobs\" WHERE (\"order\" = 3)");
}

TEST(SchemaStatementTest, VirtualTablesAndModules) {
  VirtualTable docs("docs");
  Module module("mymodule",
                {Expression<void>::literal("a"), Expression<std::string>::value("b").expression()});
  EXPECT_EQ(docs.create(module), "CREATE VIRTUAL TABLE \"docs\" USING \"mymodule\"(a, 'b')");
  EXPECT_EQ(docs.create(Module::bare("fts4", {}), true),
            "CREATE VIRTUAL TABLE IF NOT EXISTS \"docs\" USING fts4()");
  EXPECT_EQ(Module("my\"mod", {}).expression().template_(), "\"my\"\"mod\"()");
  EXPECT_EQ(docs.rename(VirtualTable("d2")), "ALTER TABLE \"docs\" RENAME TO \"d2\"");
}

TEST(SchemaStatementTest, AddColumn) {
  Table jobs("jobs");
  EXPECT_EQ(jobs.addColumn(Expression<bool>("flag"), {.defaultValue = false}),
            "ALTER TABLE \"jobs\" ADD COLUMN \"flag\" INTEGER NOT NULL DEFAULT (0)");
  EXPECT_EQ(jobs.addColumn(Expression<std::optional<std::string>>("note")),
            "ALTER TABLE \"jobs\" ADD COLUMN \"note\" TEXT");
  EXPECT_EQ(
      jobs.addColumn(Expression<std::string>("n"),
                     {.unique = true, .references = references(Table("p"), Expression<std::string>("k"))}),
      "ALTER TABLE \"jobs\" ADD COLUMN \"n\" TEXT NOT NULL UNIQUE REFERENCES \"p\" (\"k\")");
}

TEST(SchemaStatementTest, RenameUsesTheNewPlainName) {
  EXPECT_EQ(Table("old").rename(Table("new", "db").alias("n")), "ALTER TABLE \"old\" RENAME TO \"new\"");
}

TEST(SchemaStatementTest, IndexNames) {
  Table jobs("Jobs");
  std::vector<Expression<void>> columns{pipelineId.expression(), order.expression()};
  EXPECT_EQ(jobs.createIndex(columns),
            "CREATE INDEX \"index_jobs_on_pipelineid_order\" ON \"Jobs\" (\"pipelineId\", \"order\")");
  EXPECT_EQ(Table("jobs").createIndex({order.expression()}, {.unique = true, .ifNotExists = true}),
            "CREATE UNIQUE INDEX IF NOT EXISTS \"index_jobs_on_order\" ON \"jobs\" (\"order\")");
  EXPECT_EQ(Table("jobs").dropIndex({order.expression()}, true),
            "DROP INDEX IF EXISTS \"index_jobs_on_order\"");
  EXPECT_EQ(Table("t").createIndex({Table("t")[order].expression()}),
            "CREATE INDEX \"index_t_on_t_order\" ON \"t\" (\"t\".\"order\")");
  EXPECT_EQ(Table("t", "db").createIndex({}), "CREATE INDEX \"db\".\"index_t_on\" ON \"t\" ()");
  EXPECT_EQ(Table("café").dropIndex({}), "DROP INDEX \"index_caf__on\"");
}

TEST(SchemaStatementTest, Collations) {
  EXPECT_EQ(Collation::binary().description(), "BINARY");
  EXPECT_EQ(Collation::nocase().expression().template_(), "NOCASE");
  EXPECT_EQ(Collation::rtrim().description(), "RTRIM");
  EXPECT_EQ(Collation::custom("latin").description(), "\"latin\"");
  EXPECT_EQ(Collation::custom("NOCASE").description(), "\"NOCASE\"");
  EXPECT_EQ(Collation::custom("a\"b").description(), "\"a\"\"b\"");
  EXPECT_TRUE(Collation::custom("?").expression().bindings().empty());
}

}  // namespace
}  // namespace sql
