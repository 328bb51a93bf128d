#include "SQLite/Query/Operators.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace sql {
namespace {

using OptInt = std::optional<Int64>;
using Text = std::string;

// Operand shapes the builder accepts, and the result types it chooses.
template <class L, class R>
concept Equatable = requires(const L& l, const R& r) {
  l == r;
};
template <class L, class R>
concept Orderable = requires(const L& l, const R& r) {
  l < r;
};
template <class L, class R>
concept Addable = requires(const L& l, const R& r) {
  l + r;
};
template <class L, class R>
concept Joinable = requires(const L& l, const R& r) {
  l&& r;
};
template <class X>
concept UsableAsBool = requires(const X& x) {
  static_cast<bool>(x);
};

static_assert(std::is_same_v<decltype(Expression<Int64>("a") == Int64{7}), Expression<bool>>);
static_assert(std::is_same_v<decltype(Expression<Int64>("a") == Expression<OptInt>("b")),
                             Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(Expression<OptInt>("a") == OptInt{}), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(Expression<OptInt>("a") * Expression<Int64>("b")), Expression<OptInt>>);
static_assert(std::is_same_v<decltype(-Expression<double>("a")), Expression<double>>);
static_assert(
    std::is_same_v<decltype(!Expression<std::optional<bool>>("a")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(concat(Expression<Text>("a"), "b")), Expression<Text>>);
static_assert(
    std::is_same_v<decltype(between(Expression<OptInt>("a"), 1, 5)), Expression<std::optional<bool>>>);

// The eight shapes of comparisons and arithmetic, each with its result type.
using E = Expression<Int64>;
using EO = Expression<OptInt>;
static_assert(std::is_same_v<decltype(E("a") < E("b")), Expression<bool>>);
static_assert(std::is_same_v<decltype(E("a") < EO("b")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(EO("a") < E("b")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(EO("a") < EO("b")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(E("a") < 1), Expression<bool>>);
static_assert(std::is_same_v<decltype(EO("a") < 1), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(1 < E("a")), Expression<bool>>);
static_assert(std::is_same_v<decltype(1 < EO("a")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(E("a") - EO("b")), Expression<OptInt>>);
static_assert(std::is_same_v<decltype(EO("a") - 1), Expression<OptInt>>);
static_assert(std::is_same_v<decltype(1 - EO("a")), Expression<OptInt>>);
static_assert(std::is_same_v<decltype(E("a") % 2), Expression<Int64>>);
static_assert(std::is_same_v<decltype(xor_(EO("a"), 2)), Expression<OptInt>>);
// Equality: E·E, E·E?, E?·E, E?·E?, E·v, v·E, and the NULL-aware E?·v?, v?·E?.
static_assert(std::is_same_v<decltype(E("a") != E("b")), Expression<bool>>);
static_assert(std::is_same_v<decltype(EO("a") != EO("b")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(E("a") != 1), Expression<bool>>);
static_assert(std::is_same_v<decltype(1 != E("a")), Expression<bool>>);
static_assert(std::is_same_v<decltype(OptInt{1} == EO("a")), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(is(EO("a"), OptInt{})), Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(isNot(E("a"), 1)), Expression<bool>>);
// Conditions over Bool and optional Bool.
static_assert(std::is_same_v<decltype(Expression<bool>("a") && Expression<std::optional<bool>>("b")),
                             Expression<std::optional<bool>>>);
static_assert(std::is_same_v<decltype(false || Expression<bool>("b")), Expression<bool>>);

// Wrong shapes do not compile.
static_assert(!Equatable<Expression<Int64>, Text>);
static_assert(!Equatable<Expression<Int64>, Expression<Text>>);
static_assert(!Equatable<Expression<Int64>, Expression<sql::Int>>);
static_assert(!Equatable<Expression<Int64>, OptInt>);  // a possibly absent value needs an optional column
static_assert(!Equatable<Expression<Text>, Int64>);
static_assert(!Orderable<Expression<OptInt>, OptInt>);
static_assert(!Addable<Expression<Text>, Expression<Text>>);
static_assert(!Addable<Expression<bool>, bool>);
static_assert(!Joinable<Expression<Int64>, Expression<Int64>>);
static_assert(!Joinable<Expression<bool>, std::optional<bool>>);
template <class L, class R>
concept Remaindered = requires(const L& l, const R& r) {
  l % r;
};
static_assert(!Remaindered<Expression<double>, double>);  // integer operators take integers only
static_assert(!UsableAsBool<Expression<bool>>);
static_assert(!std::is_convertible_v<Expression<bool>, bool>);

TEST(OperatorsTest, EqualityBindsAValueAndNoColumn) {
  auto condition = Expression<Int64>("id") == 7;
  EXPECT_EQ(condition.template_(), "(\"id\" = ?)");
  EXPECT_EQ(condition.bindings(), (Bindings{Binding(Int64{7})}));
  EXPECT_EQ((7 != Expression<Int64>("id")).template_(), "(? != \"id\")");
  auto columns = Expression<Int64>("promptId") == Expression<Int64>("id");
  EXPECT_EQ(columns.template_(), "(\"promptId\" = \"id\")");
  EXPECT_TRUE(columns.bindings().empty());
}

TEST(OperatorsTest, OptionalEqualityTurnsIntoIsForAnAbsentValue) {
  Expression<OptInt> pipelineId("pipelineId");
  auto isNull = pipelineId == OptInt{};
  EXPECT_EQ(isNull.template_(), "(\"pipelineId\" IS ?)");
  ASSERT_EQ(isNull.bindings().size(), 1U);
  EXPECT_FALSE(isNull.bindings()[0].has_value());
  EXPECT_EQ((pipelineId != std::nullopt).template_(), "(\"pipelineId\" IS NOT ?)");
  EXPECT_EQ((OptInt{} == pipelineId).template_(), "(? IS \"pipelineId\")");

  auto three = pipelineId == OptInt{3};
  EXPECT_EQ(three.template_(), "(\"pipelineId\" = ?)");
  EXPECT_EQ(three.asSQL(), "(\"pipelineId\" = 3)");
  EXPECT_EQ((pipelineId != 3).asSQL(), "(\"pipelineId\" != 3)");
}

TEST(OperatorsTest, IsAndIsNotKeepTheirWordWhateverTheValue) {
  Expression<OptInt> a("a");
  EXPECT_EQ(is(a, OptInt{3}).template_(), "(\"a\" IS ?)");
  EXPECT_EQ(isNot(a, OptInt{}).template_(), "(\"a\" IS NOT ?)");
  EXPECT_EQ(is(Expression<Int64>("b"), a).template_(), "(\"b\" IS \"a\")");
}

TEST(OperatorsTest, NestedOperatorsKeepFullParentheses) {
  Expression<Int64> a("a");
  Expression<Int64> b("b");
  auto condition = (a + b) > 5;
  EXPECT_EQ(condition.template_(), "((\"a\" + \"b\") > ?)");
  EXPECT_EQ(condition.asSQL(), "((\"a\" + \"b\") > 5)");
  EXPECT_EQ((a - b).template_(), "(\"a\" - \"b\")");
  EXPECT_EQ((2 * a).asSQL(), "(2 * \"a\")");
  EXPECT_EQ((a / 2).asSQL(), "(\"a\" / 2)");
  EXPECT_EQ((a % 3).asSQL(), "(\"a\" % 3)");
  EXPECT_EQ((a << 1).asSQL(), "(\"a\" << 1)");
  EXPECT_EQ((a >> 1).asSQL(), "(\"a\" >> 1)");
  EXPECT_EQ((a & b).asSQL(), "(\"a\" & \"b\")");
  EXPECT_EQ((a | b).asSQL(), "(\"a\" | \"b\")");
  EXPECT_EQ((a >= 1).asSQL(), "(\"a\" >= 1)");
  EXPECT_EQ((a <= 1).asSQL(), "(\"a\" <= 1)");
  EXPECT_EQ((a < b).asSQL(), "(\"a\" < \"b\")");
}

TEST(OperatorsTest, PrefixOperatorsWrapTheirOperand) {
  Expression<Int64> a("a");
  EXPECT_EQ((-a).template_(), "-(\"a\")");
  EXPECT_EQ((~a).template_(), "~(\"a\")");
  auto condition = !(a == 1);
  EXPECT_EQ(condition.template_(), "NOT ((\"a\" = ?))");
  EXPECT_EQ(condition.bindings().size(), 1U);
}

TEST(OperatorsTest, ExclusiveOrBindsEachOperandTwice) {
  Expression<Int64> a("a");
  Expression<Int64> b("b");
  EXPECT_EQ(xor_(a, b).template_(), "(~((\"a\" & \"b\")) & (\"a\" | \"b\"))");
  auto withValue = xor_(a, 6);
  EXPECT_EQ(withValue.template_(), "(~((\"a\" & ?)) & (\"a\" | ?))");
  EXPECT_EQ(withValue.asSQL(), "(~((\"a\" & 6)) & (\"a\" | 6))");
}

TEST(OperatorsTest, ConcatenationAndConditions) {
  EXPECT_EQ(concat(Expression<Text>("a"), "b").asSQL(), "(\"a\" || 'b')");
  Expression<bool> flag("flag");
  auto both = flag && true;
  EXPECT_EQ(both.template_(), "(\"flag\" AND ?)");
  ASSERT_EQ(both.bindings().size(), 1U);
  EXPECT_EQ(both.bindings()[0], std::optional<Binding>(Int64{1}));
  EXPECT_EQ((flag || Expression<bool>("other")).template_(), "(\"flag\" OR \"other\")");
}

TEST(OperatorsTest, ConditionListsWrapOnce) {
  Expression<Int64> a("a");
  std::vector<Expression<bool>> one{a == 1};
  EXPECT_EQ(and_(one).template_(), "((\"a\" = ?))");
  std::vector<Expression<bool>> three{a == 1, a == 2, a == 3};
  EXPECT_EQ(and_(three).asSQL(), "((\"a\" = 1) AND (\"a\" = 2) AND (\"a\" = 3))");
  EXPECT_EQ(or_(three).asSQL(), "((\"a\" = 1) OR (\"a\" = 2) OR (\"a\" = 3))");
}

TEST(OperatorsTest, RangesHaveNoParenthesesOfTheirOwn) {
  Expression<Int64> a("a");
  Expression<Int64> b("b");
  auto closed = between(a + b, 1, 5);
  EXPECT_EQ(closed.template_(), "(\"a\" + \"b\") BETWEEN ? AND ?");
  EXPECT_EQ(closed.asSQL(), "(\"a\" + \"b\") BETWEEN 1 AND 5");

  EXPECT_EQ(inHalfOpenRange(a, 1, 5).asSQL(), "\"a\" >= 1 AND \"a\" < 5");
  auto carried = inHalfOpenRange(a + 9, 1, 5);
  EXPECT_EQ(carried.template_(), "(\"a\" + ?) >= ? AND (\"a\" + ?) < ?");
  EXPECT_EQ(carried.asSQL(), "(\"a\" + 9) >= 1 AND (\"a\" + 9) < 5");

  EXPECT_EQ(atMost(a, 3).asSQL(), "\"a\" <= 3");
  EXPECT_EQ(below(a, 3).asSQL(), "\"a\" < 3");
  EXPECT_EQ(atLeast(a, 3).asSQL(), "\"a\" >= 3");
}

}  // namespace
}  // namespace sql
