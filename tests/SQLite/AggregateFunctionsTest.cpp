#include "SQLite/Query/AggregateFunctions.h"

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

namespace sql {
namespace {

const Expression<Int64> id("id");
const Expression<std::optional<double>> score("score");

TEST(AggregateFunctionsTest, CallsAndDistinct) {
  EXPECT_EQ(count(id).template_(), "count(\"id\")");
  EXPECT_EQ(count(distinct(id)).template_(), "count(DISTINCT \"id\")");
  EXPECT_EQ(countStar().template_(), "count(*)");
  EXPECT_TRUE(countStar().bindings().empty());
  EXPECT_EQ(max(id).template_(), "max(\"id\")");
  EXPECT_EQ(min(score).template_(), "min(\"score\")");
  EXPECT_EQ(avg(id).template_(), "avg(\"id\")");
  EXPECT_EQ(total(score).template_(), "total(\"score\")");
}

TEST(AggregateFunctionsTest, ArgumentBindingsAreKept) {
  auto summed = sum(Expression<Int64>("a") + 2);
  EXPECT_EQ(summed.template_(), "sum((\"a\" + ?))");
  EXPECT_EQ(summed.asSQL(), "sum((\"a\" + 2))");
}

static_assert(std::is_same_v<decltype(max(id)), Expression<std::optional<Int64>>>);
static_assert(std::is_same_v<decltype(max(score)), Expression<std::optional<double>>>);
static_assert(std::is_same_v<decltype(sum(id)), Expression<std::optional<Int64>>>);
static_assert(std::is_same_v<decltype(count(score)), Expression<Int64>>);
static_assert(std::is_same_v<decltype(avg(id)), Expression<std::optional<double>>>);
static_assert(std::is_same_v<decltype(total(id)), Expression<double>>);
static_assert(std::is_same_v<decltype(distinct(score)), Expression<std::optional<double>>>);

template <class T>
concept Summable = requires(const Expression<T>& e) {
  sum(e);
};
static_assert(!Summable<std::string>);

}  // namespace
}  // namespace sql
