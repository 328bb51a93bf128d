#include "SQLite/Query/QueryExecution.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "SQLite/Query/Table.h"
#include "SQLite/Result.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/Thrown.h"

namespace sql {
namespace {

// The conversation store's schema and statements, run against a real database file (the exact
// CREATE TABLE texts are checked where the store opens its file, tests/Quellorin).
class QueryExecutionIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Connection::open(folder.file("db.sqlite3"));
    db->run(prompts.create({.ifNotExists = true}, [&](TableBuilder& t) {
      t.column(id, {.primaryKey = PrimaryKey::default_});
      t.column(prompt);
    }));
    db->run(pipelines.create({.ifNotExists = true}, [&](TableBuilder& t) {
      t.column(id, {.primaryKey = PrimaryKey::autoincrement});
      t.column(name);
    }));
    db->run(links.create({.ifNotExists = true}, [&](TableBuilder& t) {
      t.column(order);
      t.column(pipelineId);
      t.column(promptId);
      t.foreignKey(pipelineId, pipelines, id, std::nullopt, Dependency::setNull);
      t.foreignKey(promptId, prompts, id, std::nullopt, Dependency::cascade);
    }));
    db->run(conversations.create({.ifNotExists = true}, [&](TableBuilder& t) {
      t.column(id, {.primaryKey = PrimaryKey::autoincrement});
      t.column(pipelineId);
      t.column(name);
      t.foreignKey(pipelineId, pipelines, id, std::nullopt, Dependency::setNull);
    }));
    db->run(jobs.create({.ifNotExists = true}, [&](TableBuilder& t) {
      t.column(id, {.primaryKey = PrimaryKey::autoincrement});
      t.column(content);
      t.column(prompt);
      t.column(result);
      t.column(executedAt, {.defaultValue = created});
      t.column(conversationId);
      t.foreignKey(conversationId, conversations, id, std::nullopt, Dependency::cascade);
    }));
  }

  Int64 insertPrompt(const std::string& text) { return run(*db, prompts.insert(assign(prompt, text))); }

  testsupport::TemporaryFolder folder{"sqlite-test-"};
  std::shared_ptr<Connection> db;
  const Table prompts{"prompts"};
  const Table pipelines{"pipelines"};
  const Table links{"pipeline_prompts"};
  const Table conversations{"conversations"};
  const Table jobs{"jobs"};
  const Expression<Int64> id{"id"};
  const Expression<std::string> prompt{"prompt"};
  const Expression<std::string> name{"name"};
  const Expression<Int64> order{"order"};
  const Expression<std::optional<Int64>> pipelineId{"pipelineId"};
  const Expression<Int64> promptId{"promptId"};
  const Expression<std::string> content{"content"};
  const Expression<std::string> result{"result"};
  const Expression<Date> executedAt{"executedAt"};
  const Expression<Int64> conversationId{"conversationId"};
  const Date created{std::chrono::milliseconds{1709647629250}};
};

TEST_F(QueryExecutionIntegrationTest, InsertsAnswerTheNewRowId) {
  EXPECT_EQ(run(*db, pipelines.insert(assign(name, "first"))), 1);
  EXPECT_EQ(run(*db, pipelines.insert(assign(name, "second"))), 2);
  EXPECT_EQ(insertPrompt("p"), 1);
}

TEST_F(QueryExecutionIntegrationTest, FilteredSelectReadsTypedColumns) {
  const auto pipeline = run(*db, pipelines.insert(assign(name, "p")));
  run(*db, links.insert(assign(order, 0), assign(pipelineId, pipeline), assign(promptId, 11)));
  run(*db, links.insert(assign(order, 1), assign(pipelineId, pipeline), assign(promptId, 12)));
  run(*db, links.insert(assign(order, 0), assign(pipelineId, std::nullopt), assign(promptId, 13)));

  std::vector<Int64> read;
  for (const auto& row : prepare(*db, links.select(promptId).filter(pipelineId == pipeline))) {
    read.push_back(row.get(promptId));
  }
  EXPECT_EQ(read, (std::vector<Int64>{11, 12}));

  auto orphan = pluck(*db, links.filter(pipelineId == std::optional<Int64>{}));
  ASSERT_TRUE(orphan.has_value());
  EXPECT_EQ(orphan->get(promptId), 13);
  EXPECT_EQ(orphan->get(pipelineId), std::nullopt);
}

TEST_F(QueryExecutionIntegrationTest, InnerJoinOnQualifiedColumns) {
  const auto pipeline = run(*db, pipelines.insert(assign(name, "p")));
  const auto a = insertPrompt("alpha");
  const auto b = insertPrompt("beta");
  run(*db, links.insert(assign(order, 1), assign(pipelineId, pipeline), assign(promptId, a)));
  run(*db, links.insert(assign(order, 0), assign(pipelineId, pipeline), assign(promptId, b)));
  run(*db, links.insert(assign(order, 2), assign(pipelineId, pipeline), assign(promptId, 99)));

  auto query = prompts.select(prompts[id], prompts[prompt])
                   .join(links, prompts[id] == links[promptId])
                   .filter(links[pipelineId] == pipeline)
                   .order(links[order]);
  EXPECT_EQ(
      query.expression().template_(),
      "SELECT \"prompts\".\"id\", \"prompts\".\"prompt\" FROM \"prompts\" INNER JOIN \"pipeline_prompts\" ON "
      "(\"prompts\".\"id\" = \"pipeline_prompts\".\"promptId\") WHERE (\"pipeline_prompts\".\"pipelineId\" = "
      "?) "
      "ORDER BY \"pipeline_prompts\".\"order\"");
  std::vector<std::pair<Int64, std::string>> read;
  for (const auto& row : prepare(*db, query))
    read.emplace_back(row.get(prompts[id]), row.get(prompts[prompt]));
  EXPECT_EQ(read, (std::vector<std::pair<Int64, std::string>>{{b, "beta"}, {a, "alpha"}}));
}

TEST_F(QueryExecutionIntegrationTest, IteratorsOfOneSequenceContinueAndNeverStartOver) {
  for (const char* text : {"a", "b", "c"}) insertPrompt(text);
  auto rows = prepare(*db, prompts.order(id));
  std::vector<std::string> first;
  for (const auto& row : rows) {
    first.push_back(row.get(prompt));
    break;
  }
  std::vector<std::string> rest;
  for (const auto& row : rows) rest.push_back(row.get(prompt));
  EXPECT_EQ(first, (std::vector<std::string>{"a"}));
  EXPECT_EQ(rest, (std::vector<std::string>{"b", "c"}));
  std::size_t again = 0;
  for (const auto& row : rows) again += row.values().size();
  EXPECT_EQ(again, 0U);

  auto iterator = prepareRowIterator(*db, prompts);
  while (iterator.failableNext()) {
  }
  EXPECT_FALSE(iterator.failableNext().has_value());
  EXPECT_FALSE(iterator.next().has_value());
}

TEST_F(QueryExecutionIntegrationTest, RowsRefilledInPlaceKeepEachRowsOwnValues) {
  db->execute(
      "CREATE TABLE mixed (v); INSERT INTO mixed (v) VALUES ('a longer text than the small buffer'), (7), "
      "(NULL), ('b'), (x'0102'), (2.5), (x'');");
  const Table mixed("mixed");
  const Expression<std::optional<std::string>> v("v");
  const Bindings expected{Binding{std::string("a longer text than the small buffer")},
                          Binding{Int64{7}},
                          std::nullopt,
                          Binding{std::string("b")},
                          Binding{Blob{std::vector<std::uint8_t>{1, 2}}},
                          Binding{2.5},
                          Binding{Blob{}}};

  Bindings seen;
  std::vector<Row> copies;
  for (const auto& row : prepare(*db, mixed.select(v).order(Expression<Int64>("rowid")))) {
    seen.push_back(row.values().at(0));
    copies.push_back(row);
  }
  EXPECT_EQ(seen, expected);
  ASSERT_EQ(copies.size(), expected.size());
  for (std::size_t i = 0; i < copies.size(); ++i) EXPECT_EQ(copies[i].values().at(0), expected[i]) << i;
  EXPECT_EQ(copies[0].get(v), "a longer text than the small buffer");
  EXPECT_EQ(copies[3].get(v), "b");
  EXPECT_FALSE(copies[2].get(v).has_value());
  EXPECT_THROW(copies[1].get(v), ColumnTypeError);

  const auto mapped =
      prepareRowIterator(*db, mixed.select(v).order(Expression<Int64>("rowid"))).map([](const Row& row) {
        return row.values().at(0);
      });
  EXPECT_EQ(mapped, expected);
}

TEST_F(QueryExecutionIntegrationTest, PluckAddsLimitOneAndKeepsTheOffset) {
  for (const char* text : {"a", "b", "c", "d", "e", "f"}) insertPrompt(text);
  auto first = pluck(*db, prompts.filter(prompt == "c"));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->get(id), 3);
  auto fourth = pluck(*db, prompts.order(id).limit(5, 3));
  ASSERT_TRUE(fourth.has_value());
  EXPECT_EQ(fourth->get(prompt), "d");
  EXPECT_FALSE(pluck(*db, prompts.filter(prompt == "none")).has_value());
}

TEST_F(QueryExecutionIntegrationTest, UpdateAndDeleteAnswerTheirChangeCounts) {
  run(*db, pipelines.insert(assign(name, "a")));
  run(*db, pipelines.insert(assign(name, "b")));
  run(*db, pipelines.insert(assign(name, "a")));
  EXPECT_EQ(run(*db, pipelines.filter(name == "a").update(assign(name, "c"))), 2);
  EXPECT_EQ(run(*db, pipelines.filter(name == "none").update(assign(name, "x"))), 0);
  EXPECT_EQ(run(*db, pipelines.filter(id == 2).delete_()), 1);
  EXPECT_EQ(scalar(*db, pipelines.count()), 2);
  EXPECT_EQ(run(*db, pipelines.delete_()), 2);
}

TEST_F(QueryExecutionIntegrationTest, DatesAndOptionalValuesRoundTrip) {
  const auto conversation =
      run(*db, conversations.insert(assign(pipelineId, std::nullopt), assign(name, "c")));
  const Date when{std::chrono::milliseconds{1700000000123}};
  run(*db, jobs.insert(assign(content, "x"), assign(prompt, "p"), assign(result, "r"),
                       assign(executedAt, when), assign(conversationId, conversation)));
  auto row = pluck(*db, jobs.filter(conversationId == conversation));
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->get(executedAt), when);
  EXPECT_EQ(std::get<std::string>(*db->scalar("SELECT executedAt FROM jobs")), "2023-11-14T22:13:20.123");
}

TEST_F(QueryExecutionIntegrationTest, StarExpandsToTheColumnsOfEverySource) {
  const auto rows = prepareRowIterator(*db, prompts);
  EXPECT_EQ(*rows.columnNames(), (ColumnNames{{"\"id\"", 0}, {"\"prompt\"", 1}}));

  auto joined = prepareRowIterator(*db, prompts.join(links, prompts[id] == links[promptId]));
  EXPECT_EQ(*joined.columnNames(), (ColumnNames{{"\"prompts\".\"id\"", 0},
                                                {"\"prompts\".\"prompt\"", 1},
                                                {"\"pipeline_prompts\".\"order\"", 2},
                                                {"\"pipeline_prompts\".\"pipelineId\"", 3},
                                                {"\"pipeline_prompts\".\"promptId\"", 4}}));

  auto mixed = prepareRowIterator(
      *db, prompts.select(prompts[id], links[star]).join(links, prompts[id] == links[promptId]));
  EXPECT_EQ(*mixed.columnNames(), (ColumnNames{{"\"prompts\".\"id\"", 0},
                                               {"\"pipeline_prompts\".\"order\"", 1},
                                               {"\"pipeline_prompts\".\"pipelineId\"", 2},
                                               {"\"pipeline_prompts\".\"promptId\"", 3}}));

  auto reappearing = prepareRowIterator(
      *db, prompts.select(prompts[id], starExpression()).join(links, prompts[id] == links[promptId]));
  EXPECT_EQ(reappearing.columnNames()->at("\"prompts\".\"id\""), 1);

  auto counted = prepareRowIterator(*db, prompts.select(wrap("count", starExpression())));
  EXPECT_EQ(*counted.columnNames(), (ColumnNames{{"count(*)", 0}}));
}

TEST_F(QueryExecutionIntegrationTest, AQualifierNamingNoSourceIsNoSuchTable) {
  if (const auto error = testsupport::thrown<QueryError>(
          [&] { columnNamesForQuery(*db, prompts.select(Table("users")[star]).clauses()); })) {
    EXPECT_EQ(error->kind(), QueryError::Kind::noSuchTable);
    EXPECT_EQ(error->description(), "No such table: \"users\"");
  }
  // The engine accepts the unquoted qualifier; the map only knows quoted source names.
  if (const auto error = testsupport::thrown<QueryError>(
          [&] { prepare(*db, prompts.select(Expression<void>::literal("prompts.*"))); })) {
    EXPECT_EQ(error->description(), "No such table: prompts");
  }
  EXPECT_THROW(prepare(*db, Table("missing")), Result);
}

TEST_F(QueryExecutionIntegrationTest, AmbiguousAndMissingColumnsOfARealJoin) {
  const auto pipeline = run(*db, pipelines.insert(assign(name, "pipe")));
  run(*db, conversations.insert(assign(pipelineId, pipeline), assign(name, "conv")));
  auto row = pluck(*db, conversations.join(pipelines, conversations[pipelineId] == pipelines[id]));
  ASSERT_TRUE(row.has_value());
  if (const auto error = testsupport::thrown<QueryError>([&] { row->get(name); })) {
    EXPECT_EQ(error->description(),
              "Ambiguous column `\"name\"` (please disambiguate: [\"\\\"conversations\\\".\\\"name\\\"\", "
              "\"\\\"pipelines\\\".\\\"name\\\"\"])");
  }
  EXPECT_EQ(row->get(pipelines[name]), "pipe");
  EXPECT_EQ(row->get(conversations[name]), "conv");
  EXPECT_EQ(row->get(pipelineId), pipeline);  // only conversations has it
  EXPECT_THROW(row->get(Expression<std::string>("missing")), QueryError);
}

TEST_F(QueryExecutionIntegrationTest, ScalarsAndRowIteratorTransforms) {
  for (const char* text : {"a", "bb", "ccc"}) insertPrompt(text);
  EXPECT_EQ(scalar(*db, prompts.selectScalar(prompt).filter(id == 2)), "bb");
  EXPECT_EQ(
      scalar(*db, prompts.selectScalar(Expression<std::optional<std::string>>("prompt")).filter(id == 9)),
      std::nullopt);
  EXPECT_THROW(scalar(*db, prompts.selectScalar(prompt).filter(id == 9)), QueryError);
  EXPECT_TRUE(scalar(*db, prompts.filter(id == 3).exists()));
  EXPECT_FALSE(scalar(*db, prompts.filter(id == 4).exists()));

  auto texts =
      prepareRowIterator(*db, prompts.order(id)).map([&](const Row& row) { return row.get(prompt); });
  EXPECT_EQ(texts, (std::vector<std::string>{"a", "bb", "ccc"}));
  auto longOnes = prepareRowIterator(*db, prompts.order(id)).mapPresent([&](const Row& row) {
    auto text = row.get(prompt);
    return text.size() > 1 ? std::optional<std::string>(text) : std::nullopt;
  });
  EXPECT_EQ(longOnes, (std::vector<std::string>{"bb", "ccc"}));

  auto raw = prepareRowIterator(*db, "SELECT prompt AS p FROM prompts WHERE id = ?", {Binding{Int64{1}}});
  auto first = raw.failableNext();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->get(Expression<std::string>("p")), "a");
  EXPECT_FALSE(raw.failableNext().has_value());
}

TEST_F(QueryExecutionIntegrationTest, AFailedStepIsNeverTheEndOfTheRows) {
  db->execute("CREATE TABLE numbers (n INTEGER)");
  db->execute("INSERT INTO numbers VALUES (1), (2), (0)");
  // 1 / 0 is NULL in SQLite; abs() of the smallest integer overflows and fails the step.
  const Table numbers("numbers");
  const Expression<std::optional<Int64>> failing(
      "abs(CASE WHEN n = 0 THEN -9223372036854775807 - 1 ELSE n END)", Bindings{});
  auto query = numbers.select(failing);

  std::vector<Int64> seen;
  EXPECT_THROW(
      {
        for (const auto& row : prepare(*db, query)) seen.push_back(*row.get(failing));
      },
      Result);
  EXPECT_EQ(seen, (std::vector<Int64>{1, 2}));

  auto rows = prepareRowIterator(*db, query);
  EXPECT_TRUE(rows.next().has_value());
  EXPECT_TRUE(rows.next().has_value());
  EXPECT_FALSE(rows.next().has_value());
  ASSERT_TRUE(rows.failure());
  EXPECT_THROW(std::rethrow_exception(rows.failure()), Result);
  EXPECT_FALSE(rows.next().has_value());

  EXPECT_THROW(prepareRowIterator(*db, query).map([&](const Row& row) { return row.get(failing); }), Result);
}

TEST_F(QueryExecutionIntegrationTest, ColumnChecksOfEveryShapeRunOnTheEngine) {
  const Table ranged("ranged");
  const Expression<Int64> n("n");
  const Expression<Int64> m("m");
  db->run(ranged.create({}, [&](TableBuilder& t) {
    t.column(n, {.check = between(n, 1, 9)});
    t.column(m, {.check = m > 0});
  }));
  EXPECT_EQ(run(*db, ranged.insert(assign(n, 5), assign(m, 1))), 1);
  EXPECT_THROW(run(*db, ranged.insert(assign(n, 10), assign(m, 1))), Result);
  EXPECT_THROW(run(*db, ranged.insert(assign(n, 5), assign(m, 0))), Result);
}

TEST_F(QueryExecutionIntegrationTest, ManyRowsAndUpsertRunOnTheEngine) {
  run(*db,
      prompts.insertMany({{assign(id, 1), assign(prompt, "one")}, {assign(prompt, "two"), assign(id, 2)}}));
  EXPECT_EQ(scalar(*db, prompts.selectScalar(prompt).filter(id == 2)), "two");
  run(*db, prompts.upsert({assign(id, 2), assign(prompt, "zwei")}, id));
  EXPECT_EQ(scalar(*db, prompts.selectScalar(prompt).filter(id == 2)), "zwei");
  EXPECT_EQ(scalar(*db, prompts.count()), 2);
}

}  // namespace
}  // namespace sql
