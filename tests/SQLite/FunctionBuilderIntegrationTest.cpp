#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "SQLite/Query/AggregateFunctions.h"
#include "SQLite/Query/CoreFunctions.h"
#include "SQLite/Query/DateFunctions.h"
#include "SQLite/Query/QueryExecution.h"
#include "SQLite/Query/Table.h"
#include "SQLite/Query/WindowFunctions.h"

namespace sql {
namespace {

// The function builders' texts, run by the engine over a small table.
class FunctionBuilderIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Connection::open(":memory:");
    db->run(scores.create({}, [&](TableBuilder& t) {
      t.column(id, {.primaryKey = PrimaryKey::default_});
      t.column(name);
      t.column(points);
      t.column(bonus);
    }));
    run(*db, scores.insertMany(
                 {{assign(id, 1), assign(name, "Ann"), assign(points, 3.25), assign(bonus, 1)},
                  {assign(id, 2), assign(name, "bob"), assign(points, 1.5), assign(bonus, std::nullopt)},
                  {assign(id, 3), assign(name, "Cy"), assign(points, 1.5), assign(bonus, 4)}}));
  }

  std::shared_ptr<Connection> db;
  const Table scores{"scores"};
  const Expression<Int64> id{"id"};
  const Expression<std::string> name{"name"};
  const Expression<double> points{"points"};
  const Expression<std::optional<Int64>> bonus{"bonus"};
};

TEST_F(FunctionBuilderIntegrationTest, Aggregates) {
  EXPECT_EQ(scalar(*db, scores.selectScalar(count(distinct(points)))), 2);
  EXPECT_EQ(scalar(*db, scores.selectScalar(sum(bonus))), std::optional<Int64>(5));
  EXPECT_EQ(scalar(*db, scores.selectScalar(max(name))), std::optional<std::string>("bob"));
  EXPECT_EQ(scalar(*db, scores.filter(id > 9).selectScalar(avg(points))), std::nullopt);
  EXPECT_EQ(scalar(*db, scores.filter(id > 9).selectScalar(total(points))), 0.0);
  auto grouped = scores.select(points, count(id)).group(points, having(count(id) > 1));
  auto row = pluck(*db, grouped);
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->get(points), 1.5);
  EXPECT_EQ(row->get(count(id)), 2);
}

TEST_F(FunctionBuilderIntegrationTest, CoreFunctionsAndMatching) {
  EXPECT_EQ(scalar(*db, scores.selectScalar(upper(name)).filter(like(name, "b%"))), "BOB");
  EXPECT_EQ(scalar(*db, scores.selectScalar(ifNull(bonus, 0)).filter(id == 2)), 0);
  EXPECT_EQ(scalar(*db, scores.selectScalar(round(points, 1)).filter(id == 1)), 3.3);
  EXPECT_EQ(scalar(*db, scores.selectScalar(substrRange(name, 1, 3)).filter(id == 1)), "An");
  EXPECT_EQ(scalar(*db, scores.filter(inList<Int64>({1, 3}, id)).count()), 2);
  EXPECT_EQ(scalar(*db, scores.filter(collate(name, Collation::nocase()) == "ANN").count()), 1);
  EXPECT_EQ(scalar(*db, scores.filter(like(name, "a!%", '!')).count()), 0);
}

TEST_F(FunctionBuilderIntegrationTest, WindowAndDateFunctions) {
  std::vector<std::pair<Int64, Int64>> ranks;
  auto ranked = scores.select(id, rank(points.desc())).order(id);
  for (const auto& row : prepare(*db, ranked)) ranks.emplace_back(row.get(id), row.get(rank(points.desc())));
  EXPECT_EQ(ranks, (std::vector<std::pair<Int64, Int64>>{{1, 1}, {2, 2}, {3, 2}}));
  EXPECT_EQ(
      scalar(
          *db,
          scores.selectScalar(lag(name, 1, Expression<std::string>::value("-").expression(), id)).limit(1)),
      "-");
  EXPECT_EQ(
      scalar(*db, scores.selectScalar(DateFunctions::date("2024-03-05T14:07:09.250", {"+1 day"})).limit(1)),
      std::optional<std::string>("2024-03-06"));
  EXPECT_EQ(scalar(*db, scores.selectScalar(DateFunctions::strftime("%Y", "2024-03-05")).limit(1)),
            std::optional<std::string>("2024"));
}

}  // namespace
}  // namespace sql
