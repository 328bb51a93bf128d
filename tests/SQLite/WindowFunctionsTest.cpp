#include "SQLite/Query/WindowFunctions.h"

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

#include "SQLite/Query/Operators.h"

namespace sql {
namespace {

const Expression<Int64> id("id");
const Expression<Int64> score("score");

TEST(WindowFunctionsTest, RankingFunctions) {
  EXPECT_EQ(rowNumber(id).template_(), "row_number() OVER (ORDER BY \"id\")");
  EXPECT_TRUE(rowNumber(id).bindings().empty());
  EXPECT_EQ(rank(id.desc()).template_(), "rank() OVER (ORDER BY \"id\" DESC)");
  EXPECT_EQ(denseRank(id).template_(), "dense_rank() OVER (ORDER BY \"id\")");
  EXPECT_EQ(percentRank(id).template_(), "percent_rank() OVER (ORDER BY \"id\")");
  EXPECT_EQ(cumeDist(id).template_(), "cume_dist() OVER (ORDER BY \"id\")");
  static_assert(std::is_same_v<decltype(percentRank(id)), Expression<double>>);
  static_assert(std::is_same_v<decltype(rank(id)), Expression<Int64>>);
}

TEST(WindowFunctionsTest, NtileBindsItsCountBeforeTheOrderingBindings) {
  auto tiles = ntile(3, id + 1);
  EXPECT_EQ(tiles.template_(), "ntile(?) OVER (ORDER BY (\"id\" + ?))");
  EXPECT_EQ(tiles.bindings(), (Bindings{Binding{Int64{3}}, Binding{Int64{1}}}));
}

TEST(WindowFunctionsTest, OffsetsAreWrittenAndDefaultsAreLiterals) {
  EXPECT_EQ(lag(score, 1, std::nullopt, id).template_(), "lag(\"score\", 1) OVER (ORDER BY \"id\")");
  auto withDefault = lag(score, 1, Expression<Int64>::value(0).expression(), id);
  EXPECT_EQ(withDefault.template_(), "lag(\"score\", 1, 0) OVER (ORDER BY \"id\")");
  EXPECT_TRUE(withDefault.bindings().empty());
  EXPECT_EQ(lead(Expression<std::string>("name"), -2, Expression<std::string>::value("none").expression(), id)
                .template_(),
            "lead(\"name\", -2, 'none') OVER (ORDER BY \"id\")");
  EXPECT_EQ(firstValue(score, id).template_(), "first_value(\"score\") OVER (ORDER BY \"id\")");
  EXPECT_EQ(lastValue(score, id).template_(), "last_value(\"score\") OVER (ORDER BY \"id\")");
  EXPECT_EQ(nthValue(score, 2, id).template_(), "nth_value(\"score\", 2) OVER (ORDER BY \"id\")");
  static_assert(std::is_same_v<decltype(lag(Expression<std::optional<double>>("x"), 1, std::nullopt, id)),
                               Expression<std::optional<double>>>);
}

TEST(WindowFunctionsTest, ColumnBindingsComeBeforeOrderingBindings) {
  auto value = firstValue(score + 5, id + 6);
  EXPECT_EQ(value.asSQL(), "first_value((\"score\" + 5)) OVER (ORDER BY (\"id\" + 6))");
  EXPECT_EQ(value.bindings(), (Bindings{Binding{Int64{5}}, Binding{Int64{6}}}));
}

}  // namespace
}  // namespace sql
