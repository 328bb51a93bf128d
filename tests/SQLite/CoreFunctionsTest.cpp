#include "SQLite/Query/CoreFunctions.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <type_traits>

namespace sql {
namespace {

const Expression<std::string> x("x");
const Expression<std::optional<std::string>> maybe("x");
const Expression<double> number("n");

std::optional<Binding> text(const std::string& value) { return Binding(value); }
std::optional<Binding> integer(Int64 value) { return Binding(value); }

TEST(CoreFunctionsTest, Calls) {
  EXPECT_EQ(abs(Expression<Int64>("n")).template_(), "abs(\"n\")");
  EXPECT_EQ(round(number).template_(), "round(\"n\")");
  EXPECT_TRUE(round(number).bindings().empty());
  EXPECT_EQ(round(number, 2).template_(), "round(\"n\", ?)");
  EXPECT_EQ(round(number, 2).bindings(), (Bindings{integer(2)}));
  EXPECT_EQ(random().template_(), "random()");
  EXPECT_EQ(randomBlob(16).template_(), "randomblob(?)");
  EXPECT_EQ(randomBlob(16).bindings(), (Bindings{integer(16)}));
  EXPECT_EQ(zeroBlob(4).asSQL(), "zeroblob(4)");
  EXPECT_EQ(length(x).template_(), "length(\"x\")");
  EXPECT_EQ(lower(x).template_(), "lower(\"x\")");
  EXPECT_EQ(upper(maybe).template_(), "upper(\"x\")");
}

TEST(CoreFunctionsTest, LikeWithAndWithoutEscape) {
  EXPECT_EQ(like(x, "a%").template_(), "(\"x\" LIKE ?)");
  auto escaped = like(x, "a\\%", '\\');
  EXPECT_EQ(escaped.template_(), "(\"x\" LIKE ? ESCAPE ?)");
  EXPECT_EQ(escaped.bindings(), (Bindings{text("a\\%"), text("\\")}));
  auto pattern = concat(Expression<std::string>("p"), "%");
  auto withExpression = like(x, pattern, '!');
  EXPECT_EQ(withExpression.template_(), "(\"x\" LIKE (\"p\" || ?) ESCAPE ?)");
  EXPECT_EQ(withExpression.bindings(), (Bindings{text("%"), text("!")}));
  auto valueFirst = like(std::string("abc"), pattern);
  EXPECT_EQ(valueFirst.template_(), "(? LIKE (\"p\" || ?))");
  EXPECT_EQ(valueFirst.bindings(), (Bindings{text("abc"), text("%")}));
}

TEST(CoreFunctionsTest, MatchingOperators) {
  EXPECT_EQ(glob(x, "a*").template_(), "(\"x\" GLOB ?)");
  EXPECT_EQ(match(x, "word").template_(), "(\"x\" MATCH ?)");
  EXPECT_EQ(regexp(x, "^a").template_(), "(\"x\" REGEXP ?)");
  EXPECT_EQ(collate(x, Collation::nocase()).template_(), "(\"x\" COLLATE NOCASE)");
  EXPECT_TRUE(collate(x, Collation::nocase()).bindings().empty());
  static_assert(std::is_same_v<decltype(match(maybe, "w")), Expression<bool>>);
  static_assert(std::is_same_v<decltype(glob(maybe, "w")), Expression<std::optional<bool>>>);
  static_assert(std::is_same_v<decltype(regexp(maybe, "w")), Expression<std::optional<bool>>>);
  static_assert(std::is_same_v<decltype(length(maybe)), Expression<std::optional<Int64>>>);
}

TEST(CoreFunctionsTest, TrimReplaceAndSubstrings) {
  EXPECT_EQ(ltrim(x).template_(), "ltrim(\"x\")");
  EXPECT_EQ(rtrim(x, " .").asSQL(), "rtrim(\"x\", ' .')");
  EXPECT_EQ(trim(x, "ab").template_(), "trim(\"x\", ?)");
  EXPECT_EQ(replace(x, "a", "b").asSQL(), "replace(\"x\", 'a', 'b')");
  EXPECT_EQ(substr(x, 2).template_(), "substr(\"x\", ?)");
  EXPECT_EQ(substr(x, 2, 3).asSQL(), "substr(\"x\", 2, 3)");
  auto range = substrRange(x, 2, 5);
  EXPECT_EQ(range.template_(), "substr(\"x\", ?, ?)");
  EXPECT_EQ(range.bindings(), (Bindings{integer(2), integer(3)}));
}

TEST(CoreFunctionsTest, InListsAndIfNull) {
  Expression<Int64> id("id");
  auto in = inList<Int64>({1, 2, 3}, id + 4);
  EXPECT_EQ(in.template_(), "((\"id\" + ?) IN (?, ?, ?))");
  EXPECT_EQ(in.bindings(), (Bindings{integer(4), integer(1), integer(2), integer(3)}));
  EXPECT_EQ(inList<Int64>({}, id).template_(), "(\"id\" IN ())");
  static_assert(
      std::is_same_v<decltype(inList<std::optional<Int64>>({1}, Expression<std::optional<Int64>>("o"))),
                     Expression<std::optional<bool>>>);

  Expression<std::optional<Int64>> optional("o");
  auto fallback = ifNull(optional, 0);
  static_assert(std::is_same_v<decltype(fallback), Expression<Int64>>);
  EXPECT_EQ(fallback.template_(), "ifnull(\"o\", ?)");
  EXPECT_EQ(fallback.bindings(), (Bindings{integer(0)}));
  EXPECT_EQ(ifNull(optional, id).template_(), "ifnull(\"o\", \"id\")");
  EXPECT_EQ(ifNull(optional, optional).template_(), "ifnull(\"o\", \"o\")");
}

TEST(CoreFunctionsTest, RawTexts) {
  EXPECT_EQ(rawText(CoreFunction::abs), "abs");
  EXPECT_EQ(rawText(CoreFunction::like), "LIKE");
  EXPECT_EQ(rawText(CoreFunction::ifnull), "ifnull");
}

}  // namespace
}  // namespace sql
