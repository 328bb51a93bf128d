#include "SQLite/Query/QueryType.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "SQLite/Query/ScalarQuery.h"
#include "SQLite/Query/Table.h"

namespace sql {
namespace {

const Expression<Int64> id("id");
const Expression<std::string> name("name");
const Expression<Int64> a("a");

TEST(QueryTypeTest, AFreshTableSelectsEverythingAndSelectingReplacesTheList) {
  Table pipelines("pipelines");
  EXPECT_EQ(pipelines.expression().template_(), "SELECT * FROM \"pipelines\"");
  EXPECT_EQ(pipelines.selectDistinct(star).expression().template_(), "SELECT DISTINCT * FROM \"pipelines\"");
  EXPECT_EQ(pipelines.select(star).expression().template_(), "SELECT * FROM \"pipelines\"");
  auto query = pipelines.select(id).select(id, name);
  EXPECT_EQ(query.expression().template_(), "SELECT \"id\", \"name\" FROM \"pipelines\"");
  EXPECT_EQ(pipelines.select(std::vector<Expression<void>>{}).expression().template_(),
            "SELECT  FROM \"pipelines\"");
}

TEST(QueryTypeTest, FiltersNestAndBindInTheOrderAdded) {
  Table t("t");
  auto once = t.filter(a == 1);
  EXPECT_EQ(once.expression().template_(), "SELECT * FROM \"t\" WHERE (\"a\" = ?)");
  auto thrice = once.filter(a != 2).where(id > 3);
  EXPECT_EQ(thrice.expression().template_(),
            "SELECT * FROM \"t\" WHERE (((\"a\" = ?) AND (\"a\" != ?)) AND (\"id\" > ?))");
  EXPECT_EQ(thrice.expression().asSQL(),
            "SELECT * FROM \"t\" WHERE (((\"a\" = 1) AND (\"a\" != 2)) AND (\"id\" > 3))");
}

TEST(QueryTypeTest, BuildersLeaveTheReceiverUnchanged) {
  const Table base("jobs");
  auto first = base.filter(id == 1);
  auto second = base.filter(id == 2).limit(3);
  EXPECT_EQ(base.expression().template_(), "SELECT * FROM \"jobs\"");
  EXPECT_EQ(first.expression().asSQL(), "SELECT * FROM \"jobs\" WHERE (\"id\" = 1)");
  EXPECT_EQ(second.expression().asSQL(), "SELECT * FROM \"jobs\" WHERE (\"id\" = 2) LIMIT 3");
}

TEST(QueryTypeTest, TheFullClauseOrder) {
  Table jobs("jobs");
  auto j = jobs.alias("j");
  Table conversations("conversations");
  auto c = Expression<bool>::literal("C");
  auto p = Expression<bool>::literal("P");
  auto query = j.select(j[id], j[Expression<std::string>("result")])
                   .join(JoinType::inner, conversations, c)
                   .filter(p)
                   .order(Expression<void>::literal("T"))
                   .limit(10, 5);
  EXPECT_EQ(query.expression().template_(),
            "SELECT \"j\".\"id\", \"j\".\"result\" FROM \"jobs\" AS \"j\" INNER JOIN \"conversations\" ON C "
            "WHERE P "
            "ORDER BY T LIMIT 10 OFFSET 5");
}

TEST(QueryTypeTest, JoinConditionBindingsComeBeforeWhereBindingsAndWithBindingsFirst) {
  Table t("t");
  Table u("u");
  Table cte("cte");
  auto query = t.with(cte, u.filter(a == 1)).join(u, t[id] == 2).filter(a == 3);
  const auto compiled = query.expression();
  EXPECT_EQ(compiled.template_(),
            "WITH \"cte\" AS (SELECT * FROM \"u\" WHERE (\"a\" = ?)) SELECT * FROM \"t\" INNER JOIN \"u\" ON "
            "(\"t\".\"id\" = ?) WHERE (\"a\" = ?)");
  EXPECT_EQ(compiled.asSQL(),
            "WITH \"cte\" AS (SELECT * FROM \"u\" WHERE (\"a\" = 1)) SELECT * FROM \"t\" INNER JOIN \"u\" ON "
            "(\"t\".\"id\" = 2) WHERE (\"a\" = 3)");
}

TEST(QueryTypeTest, AJoinedTablesFilterIsAndedToTheConditionAndItsOtherClausesAreIgnored) {
  Table prompts("prompts");
  Table links("pipeline_prompts");
  auto condition = prompts[id] == links[Expression<Int64>("promptId")];
  auto plain = prompts.join(links, condition);
  EXPECT_EQ(plain.expression().template_(),
            "SELECT * FROM \"prompts\" INNER JOIN \"pipeline_prompts\" ON (\"prompts\".\"id\" = "
            "\"pipeline_prompts\".\"promptId\")");
  auto filtered = prompts.join(JoinType::leftOuter, links.filter(a == 4).order(a).limit(1), condition);
  EXPECT_EQ(filtered.expression().asSQL(),
            "SELECT * FROM \"prompts\" LEFT OUTER JOIN \"pipeline_prompts\" ON ((\"prompts\".\"id\" = "
            "\"pipeline_prompts\".\"promptId\") AND (\"a\" = 4))");
  auto crossed = prompts.join(JoinType::cross, links.alias("l"), Expression<bool>::literal("1"));
  EXPECT_EQ(crossed.expression().template_(),
            "SELECT * FROM \"prompts\" CROSS JOIN \"pipeline_prompts\" AS \"l\" ON 1");
}

TEST(QueryTypeTest, GroupingWithAndWithoutHaving) {
  Table t("t");
  Expression<Int64> b("b");
  EXPECT_EQ(t.group(a, b).expression().template_(), "SELECT * FROM \"t\" GROUP BY \"a\", \"b\"");
  auto withHaving = t.group(a, having(b > 2))
                        .group(std::vector<Expression<void>>{a.expression(), b.expression()}, having(b > 3));
  EXPECT_EQ(withHaving.expression().asSQL(), "SELECT * FROM \"t\" GROUP BY \"a\", \"b\" HAVING (\"b\" > 3)");
}

TEST(QueryTypeTest, OrderingAndLimits) {
  Table t("t");
  EXPECT_EQ(t.order(a.desc(), name).expression().template_(),
            "SELECT * FROM \"t\" ORDER BY \"a\" DESC, \"name\"");
  EXPECT_EQ(t.order(a).order(std::vector<Expression<void>>{}).expression().template_(),
            "SELECT * FROM \"t\"");
  EXPECT_EQ(t.limit(0).expression().template_(), "SELECT * FROM \"t\" LIMIT 0");
  EXPECT_EQ(t.limit(-1, -2).expression().template_(), "SELECT * FROM \"t\" LIMIT -1 OFFSET -2");
  EXPECT_EQ(t.limit(10, 20).limit(std::nullopt).expression().template_(), "SELECT * FROM \"t\"");
}

TEST(QueryTypeTest, UnionsComeBeforeTheOuterOrderingAndLimit) {
  Table a1("a");
  Table b1("b");
  auto query = a1.union_(true, b1).order(Expression<void>::literal("T")).limit(1);
  EXPECT_EQ(query.expression().template_(),
            "SELECT * FROM \"a\" UNION ALL SELECT * FROM \"b\" ORDER BY T LIMIT 1");
  EXPECT_EQ(a1.union_(b1).expression().template_(), "SELECT * FROM \"a\" UNION SELECT * FROM \"b\"");
}

TEST(QueryTypeTest, DatabasesAndAliasesNameTheSource) {
  Table t("t", "main");
  EXPECT_EQ(t.expression().template_(), "SELECT * FROM \"main\".\"t\"");
  EXPECT_EQ(t.alias("x").expression().template_(), "SELECT * FROM \"main\".\"t\" AS \"x\"");
  Table jobs("jobs", "main");
  EXPECT_EQ(jobs[id].template_(), "\"main\".\"jobs\".\"id\"");
  EXPECT_EQ(Table("jobs").alias("j")[id].template_(), "\"j\".\"id\"");
  // Every value made from an aliased one qualifies its columns with the alias, and the value
  // it was made from keeps its own name.
  const auto aliased = jobs.alias("j");
  EXPECT_EQ(aliased.filter(id == Int64{1})[id].template_(), "\"main\".\"j\".\"id\"");
  EXPECT_EQ(aliased.count()[id].template_(), "\"main\".\"j\".\"id\"");
  EXPECT_EQ(aliased.alias("k")[id].template_(), "\"main\".\"k\".\"id\"");
  EXPECT_EQ(jobs[id].template_(), "\"main\".\"jobs\".\"id\"");
  EXPECT_EQ(Table("jobs")[star].template_(), "\"jobs\".*");
  EXPECT_EQ(jobs.tableName(true).template_(), "\"main\".\"jobs\"");
  EXPECT_EQ(jobs.alias("j").tableName(true).template_(), "\"main\".\"jobs\" AS \"j\"");
  EXPECT_EQ(jobs.alias("j").tableName(false).template_(), "\"main\".\"j\"");
  EXPECT_EQ(jobs.tableNameQualified(false).template_(), "\"jobs\"");
  EXPECT_EQ(jobs.databaseNamespace("other").template_(), "\"main\".\"other\"");
}

TEST(QueryTypeTest, ScalarQueriesKeepEveryOtherClauseAndExistsWrapsTheQuery) {
  Table t("t");
  auto scalar = t.filter(a == 1).order(a).limit(2).selectScalar(Expression<std::optional<Int64>>("b"));
  static_assert(std::is_same_v<decltype(scalar), ScalarQuery<std::optional<Int64>>>);
  EXPECT_EQ(scalar.expression().asSQL(), "SELECT \"b\" FROM \"t\" WHERE (\"a\" = 1) ORDER BY \"a\" LIMIT 2");
  EXPECT_EQ(t.selectDistinctScalar(a).expression().template_(), "SELECT DISTINCT \"a\" FROM \"t\"");
  auto count = t.filter(a == 1).count();
  static_assert(std::is_same_v<decltype(count), ScalarQuery<Int64>>);
  EXPECT_EQ(count.expression().template_(), "SELECT count(*) FROM \"t\" WHERE (\"a\" = ?)");
  auto statement = Table("jobs").filter(Expression<bool>::literal("P")).exists();
  EXPECT_EQ(statement.template_(), "SELECT EXISTS (SELECT * FROM \"jobs\" WHERE P)");
}

TEST(QueryTypeTest, CommonTableExpressions) {
  Table tree("tree");
  Table nodes("nodes");
  auto query = tree.with(tree, std::vector<Expression<void>>{id.expression()}, true,
                         MaterializationHint::notMaterialized, nodes.select(id));
  EXPECT_EQ(
      query.expression().template_(),
      "WITH RECURSIVE \"tree\" (\"id\") AS NOT MATERIALIZED (SELECT \"id\" FROM \"nodes\") SELECT * FROM "
      "\"tree\"");
  auto two = query.with(Table("cte", "main"), std::vector<Expression<void>>{}, false, std::nullopt, nodes);
  EXPECT_EQ(two.expression().template_(),
            "WITH RECURSIVE \"tree\" (\"id\") AS NOT MATERIALIZED (SELECT \"id\" FROM \"nodes\"), "
            "\"main\".\"cte\" () "
            "AS (SELECT * FROM \"nodes\") SELECT * FROM \"tree\"");
  EXPECT_EQ(Table("t").with(Table("c"), Table("u")).expression().template_(),
            "WITH \"c\" AS (SELECT * FROM \"u\") SELECT * FROM \"t\"");
}

TEST(QueryTypeTest, RawTextsOfTheEnumerations) {
  EXPECT_EQ(rawText(JoinType::leftOuter), "LEFT OUTER");
  EXPECT_EQ(joinTypeFromRawText("INNER"), JoinType::inner);
  EXPECT_EQ(joinTypeFromRawText("inner"), std::nullopt);
  EXPECT_EQ(onConflictFromRawText("IGNORE"), OnConflict::ignore);
  EXPECT_EQ(materializationHintFromRawText("NOT MATERIALIZED"), MaterializationHint::notMaterialized);
  EXPECT_EQ(materializationHintFromRawText("LAZY"), std::nullopt);
}

}  // namespace
}  // namespace sql
