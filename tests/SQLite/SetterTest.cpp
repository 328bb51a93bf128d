#include "SQLite/Query/Setter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "SQLite/Query/Table.h"

namespace sql {
namespace {

const Expression<Int64> n("n");
const Expression<std::optional<Int64>> maybe("maybe");
const Expression<std::string> name("name");
const Expression<std::optional<std::string>> note("note");

TEST(SetterTest, PlainAssignmentsBindTheValue) {
  auto setter = assign(name, std::string("it's"));
  EXPECT_EQ(setter.expression().template_(), "\"name\" = ?");
  ASSERT_EQ(setter.expression().bindings().size(), 1U);
  EXPECT_EQ(setter.expression().bindings()[0], std::optional<Binding>(std::string("it's")));
}

TEST(SetterTest, AnAbsentOptionalValueIsBoundAsNull) {
  auto setter = assign(note, std::nullopt);
  EXPECT_EQ(setter.value().template_(), "?");
  ASSERT_EQ(setter.value().bindings().size(), 1U);
  EXPECT_FALSE(setter.value().bindings()[0].has_value());
  auto update = Table("t").update(setter);
  EXPECT_EQ(update.template_(), "UPDATE \"t\" SET \"note\" = ?");
  EXPECT_EQ(update.template_().find("NULL"), std::string::npos);
  EXPECT_EQ(assign(maybe, 3).expression().asSQL(), "\"maybe\" = 3");
}

TEST(SetterTest, ExpressionAssignmentsKeepTheExpression) {
  EXPECT_EQ(assign(n, n * 2).expression().asSQL(), "\"n\" = (\"n\" * 2)");
  EXPECT_EQ(assign(maybe, n).expression().template_(), "\"maybe\" = \"n\"");
  EXPECT_EQ(assign(maybe, Expression<std::optional<Int64>>::nullValue()).expression().asSQL(),
            "\"maybe\" = NULL");
}

TEST(SetterTest, CompoundAssignmentsApplyTheOperatorToTheColumn) {
  EXPECT_EQ(addAssign(n, 1).expression().asSQL(), "\"n\" = (\"n\" + 1)");
  EXPECT_EQ(subtractAssign(n, n).expression().asSQL(), "\"n\" = (\"n\" - \"n\")");
  EXPECT_EQ(multiplyAssign(n, 2).value().template_(), "(\"n\" * ?)");
  EXPECT_EQ(divideAssign(n, 2).value().template_(), "(\"n\" / ?)");
  EXPECT_EQ(remainderAssign(n, 2).value().template_(), "(\"n\" % ?)");
  EXPECT_EQ(leftShiftAssign(n, 2).value().template_(), "(\"n\" << ?)");
  EXPECT_EQ(rightShiftAssign(n, 2).value().template_(), "(\"n\" >> ?)");
  EXPECT_EQ(bitwiseAndAssign(n, 2).value().template_(), "(\"n\" & ?)");
  EXPECT_EQ(bitwiseOrAssign(n, 2).value().template_(), "(\"n\" | ?)");
  EXPECT_EQ(xorAssign(n, 2).value().asSQL(), "(~((\"n\" & 2)) & (\"n\" | 2))");
  EXPECT_EQ(concatAssign(name, "!").expression().asSQL(), "\"name\" = (\"name\" || '!')");
  auto optional = addAssign(maybe, 5);
  EXPECT_EQ(optional.expression().asSQL(), "\"maybe\" = (\"maybe\" + 5)");
  EXPECT_EQ(addAssign(maybe, Expression<std::optional<Int64>>("other")).value().template_(),
            "(\"maybe\" + \"other\")");
}

TEST(SetterTest, IncrementAndDecrementBindOne) {
  auto up = increment(n);
  EXPECT_EQ(up.value().template_(), "(\"n\" + ?)");
  ASSERT_EQ(up.value().bindings().size(), 1U);
  EXPECT_EQ(up.value().bindings()[0], std::optional<Binding>(Int64{1}));
  EXPECT_EQ(decrement(maybe).expression().asSQL(), "\"maybe\" = (\"maybe\" - 1)");
}

template <class C, class V>
concept Assignable = requires(const C& c, const V& v) {
  assign(c, v);
};
static_assert(!Assignable<Expression<Int64>, std::string>);
static_assert(!Assignable<Expression<Int64>, std::optional<Int64>>);
static_assert(!Assignable<Expression<Int64>, Expression<std::optional<Int64>>>);
static_assert(Assignable<Expression<std::optional<Int64>>, std::optional<Int64>>);

}  // namespace
}  // namespace sql
