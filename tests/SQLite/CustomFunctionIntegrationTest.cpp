#include "SQLite/Query/CustomFunction.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "SQLite/Query/QueryExecution.h"
#include "SQLite/Query/Table.h"
#include "SQLite/Result.h"

namespace sql {
namespace {

class CustomFunctionIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Connection::open(":memory:");
    db->execute("CREATE TABLE t (a INTEGER, b TEXT)");
    db->execute("INSERT INTO t VALUES (2, 'x'), (NULL, 'y')");
  }

  std::shared_ptr<Connection> db;
  const Table t{"t"};
  const Expression<std::optional<Int64>> a{"a"};
  const Expression<std::string> b{"b"};
};

TEST_F(CustomFunctionIntegrationTest, AOneArgumentFunctionAppliedToABoundValue) {
  auto twice = createFunction(*db, "twice", true, [](Int64 x) { return x * 2; });
  auto call = twice(Expression<Int64>::value(21));
  static_assert(std::is_same_v<decltype(call), Expression<Int64>>);
  EXPECT_EQ(call.template_(), "\"twice\"(?)");
  EXPECT_EQ(call.bindings(), (Bindings{Binding{Int64{21}}}));
  EXPECT_EQ(scalar(*db, t.selectScalar(call).limit(1)), 42);
}

TEST_F(CustomFunctionIntegrationTest, OptionalArgumentsAndResultsCarryNull) {
  auto orMinus = createFunction(*db, "or_minus", false, [](std::optional<Int64> x) -> std::optional<Int64> {
    if (!x) return std::nullopt;
    return -*x;
  });
  std::vector<std::optional<Int64>> read;
  auto call = orMinus(a);
  for (const auto& row : prepare(*db, t.select(call).order(b))) read.push_back(row.get(call));
  EXPECT_EQ(read, (std::vector<std::optional<Int64>>{-2, std::nullopt}));
}

TEST_F(CustomFunctionIntegrationTest, TwoArgumentsAndZeroArguments) {
  auto repeat = createFunction(*db, "repeat", true, [](std::string text, std::optional<Int64> times) {
    std::string result;
    for (Int64 i = 0; i < times.value_or(1); ++i) result += text;
    return result;
  });
  EXPECT_EQ(repeat(b, a).template_(), "\"repeat\"(\"b\", \"a\")");
  EXPECT_EQ(scalar(*db, t.selectScalar(repeat(b, a)).filter(b == "x")), "xx");
  EXPECT_EQ(scalar(*db, t.selectScalar(repeat(b, a)).filter(b == "y")), "y");

  auto answer = createFunction(*db, "answer", true, [] { return Int64{42}; });
  EXPECT_EQ(answer().template_(), "\"answer\"()");
  EXPECT_EQ(scalar(*db, t.selectScalar(answer()).limit(1)), 42);
}

TEST_F(CustomFunctionIntegrationTest, ANullForARequiredArgumentFailsTheStatement) {
  auto twice = createFunction(*db, "twice", true, [](Int64 x) { return x * 2; });
  auto call = twice(Expression<Int64>("a"));
  EXPECT_THROW(scalar(*db, t.selectScalar(call).filter(b == "y")), Result);
}

TEST_F(CustomFunctionIntegrationTest, TheSameNameWithAnotherArgumentCountIsKept) {
  auto one = createFunction(*db, "f", true, [](Int64 x) { return x; });
  auto two = createFunction(*db, "f", true, [](Int64 x, Int64 y) { return x + y; });
  EXPECT_EQ(scalar(*db, t.selectScalar(one(Expression<Int64>::value(5))).limit(1)), 5);
  EXPECT_EQ(
      scalar(*db, t.selectScalar(two(Expression<Int64>::value(5), Expression<Int64>::value(6))).limit(1)),
      11);
}

TEST_F(CustomFunctionIntegrationTest, OnlyDeterministicFunctionsMayIndex) {
  createFunction(*db, "stable", true, [](std::optional<Int64> x) { return x; });
  createFunction(*db, "unstable", false, [](std::optional<Int64> x) { return x; });
  EXPECT_NO_THROW(db->execute("CREATE INDEX stable_a ON t (stable(a))"));
  EXPECT_THROW(db->execute("CREATE INDEX unstable_a ON t (unstable(a))"), Result);
}

}  // namespace
}  // namespace sql
