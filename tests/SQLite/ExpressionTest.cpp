#include "SQLite/Query/Expression.h"

#include "SQLite/Connection.h"
#include "SQLite/Location.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sql {
namespace {

TEST(ExpressionTest, IdentifierIsDoubleQuotedWithoutBindings) {
  Expression<std::string> executedAt("executedAt");
  EXPECT_EQ(executedAt.template_(), "\"executedAt\"");
  EXPECT_TRUE(executedAt.bindings().empty());
  EXPECT_EQ(Expression<std::string>("say \"hi\"").template_(), "\"say \"\"hi\"\"\"");
}

TEST(ExpressionTest, ValuesBecomeOnePlaceholderWithTheirBinding) {
  auto seven = Expression<std::int64_t>::value(7);
  EXPECT_EQ(seven.template_(), "?");
  ASSERT_EQ(seven.bindings().size(), 1U);
  EXPECT_EQ(seven.bindings()[0], std::optional<Binding>(std::int64_t{7}));

  auto absent = Expression<std::optional<std::int64_t>>::value(std::nullopt);
  EXPECT_EQ(absent.template_(), "?");
  ASSERT_EQ(absent.bindings().size(), 1U);
  EXPECT_FALSE(absent.bindings()[0].has_value());
  EXPECT_EQ(absent.asSQL(), "NULL");
  EXPECT_EQ(Expression<std::optional<std::string>>::nullValue().asSQL(), "NULL");
}

TEST(ExpressionTest, AsSqlWritesEachBindingAsItsLiteral) {
  Expression<void> fragment("(x = ?) AND y IN (?, ?)",
                            {Binding{std::int64_t{5}}, Binding{std::string("it's")}, std::nullopt});
  EXPECT_EQ(fragment.asSQL(), "(x = 5) AND y IN ('it''s', NULL)");
  EXPECT_EQ(fragment.description(), fragment.asSQL());

  EXPECT_EQ(Expression<Blob>::value(Blob(std::vector<std::uint8_t>{0, 10, 255})).asSQL(), "x'000aff'");
  EXPECT_EQ(Expression<bool>::value(true).asSQL(), "1");
  EXPECT_EQ(Expression<double>::value(2.0).asSQL(), "2.0");
  EXPECT_EQ(Expression<std::int64_t>::value(-42).asSQL(), "-42");
  // Surplus bindings are ignored and missing ones written as NULL.
  EXPECT_EQ(Expression<void>("a = ?", {Binding{std::int64_t{1}}, Binding{std::int64_t{2}}}).asSQL(), "a = 1");
  EXPECT_EQ(Expression<void>("a = ? AND b = ?", {Binding{std::int64_t{1}}}).asSQL(), "a = 1 AND b = NULL");
}

TEST(ExpressionTest, AsSqlLeavesQuestionMarksInsideQuotedNamesAndTexts) {
  const Bindings one{Binding{std::int64_t{1}}};
  EXPECT_EQ(Expression<void>("\"what?\" = ?", one).asSQL(), "\"what?\" = 1");
  EXPECT_EQ(Expression<std::string>("why?").asSQL(), "\"why?\"");
  EXPECT_EQ(Expression<void>("'?' || ?", one).asSQL(), "'?' || 1");
  EXPECT_EQ(Expression<void>("`a?` = [b?] AND x'3f' = ?", one).asSQL(), "`a?` = [b?] AND x'3f' = 1");
  EXPECT_EQ(
      Expression<void>("? -- why?\n/* who? */ + ?", {Binding{std::int64_t{1}}, Binding{std::int64_t{2}}})
          .asSQL(),
      "1 -- why?\n/* who? */ + 2");
}

TEST(ExpressionTest, AsSqlHonoursDoubledQuoteMarksInsideQuotes) {
  const Bindings one{Binding{std::string("it's?")}};
  // Doubled marks do not close the quote, so the "?" after them is still inside it.
  EXPECT_EQ(Expression<std::string>("say \"?\" now?").asSQL(), "\"say \"\"?\"\" now?\"");
  EXPECT_EQ(Expression<void>("'o''clock?' = ?", one).asSQL(), "'o''clock?' = 'it''s?'");
  EXPECT_EQ(Expression<void>("'''?''' = ?", one).asSQL(), "'''?''' = 'it''s?'");
  EXPECT_EQ(Expression<void>("\"\"\"?\" = ?", one).asSQL(), "\"\"\"?\" = 'it''s?'");
  // A quote left open holds the rest of the text.
  EXPECT_EQ(Expression<void>("? = 'open?", one).asSQL(), "'it''s?' = 'open?");
}

TEST(ExpressionTest, AsSqlNumbersPlaceholdersAsTheEngineDoes) {
  const Bindings three{Binding{std::int64_t{1}}, Binding{std::int64_t{2}}, Binding{std::int64_t{3}}};
  EXPECT_EQ(Expression<void>("?2, ?, ?1, ?", three).asSQL(), "2, 3, 1, NULL");
  EXPECT_EQ(Expression<void>("?0, ?99999999999999999999, ?4", three).asSQL(), "NULL, NULL, NULL");
}

TEST(ExpressionTest, AsSqlGivesWhatTheEngineComputesFromTheBoundStatement) {
  auto db = Connection::open(Location::inMemory());
  db->execute("CREATE TABLE \"why?\" (\"a?\" TEXT, [b?] INTEGER)");
  db->execute("INSERT INTO \"why?\" VALUES ('it''s?', 7), ('x', 8)");
  const std::vector<Expression<void>> fragments{
      {"SELECT \"a?\" || ? FROM \"why?\" WHERE [b?] = ?",
       {Binding{std::string("?")}, Binding{std::int64_t{7}}}},
      {"SELECT count(*) FROM \"why?\" WHERE \"a?\" = ? -- or ?", {Binding{std::string("it's?")}}},
      {"SELECT ?2 || '?' || ?1 || ? /* ? */",
       {Binding{std::string("a")}, Binding{std::string("b")}, std::nullopt}},
  };
  for (const auto& fragment : fragments) {
    EXPECT_EQ(db->scalar(fragment.asSQL()), db->scalar(fragment.template_(), fragment.bindings()))
        << fragment.asSQL();
  }
}

TEST(ExpressionTest, DoublesUseTheShortestRoundTripText) {
  EXPECT_EQ(shortestDoubleText(1.0), "1.0");
  EXPECT_EQ(shortestDoubleText(0.25), "0.25");
  EXPECT_EQ(shortestDoubleText(1e-05), "1e-05");
  EXPECT_EQ(shortestDoubleText(0.0001), "0.0001");
  EXPECT_EQ(shortestDoubleText(0.1), "0.1");
  EXPECT_EQ(shortestDoubleText(-2.5), "-2.5");
  EXPECT_EQ(shortestDoubleText(123456.789), "123456.789");
  EXPECT_EQ(shortestDoubleText(1e15), "1000000000000000.0");
  EXPECT_EQ(shortestDoubleText(1e16), "1e+16");
  EXPECT_EQ(shortestDoubleText(1.5e-7), "1.5e-07");
  EXPECT_EQ(shortestDoubleText(1.7976931348623157e308), "1.7976931348623157e+308");
  EXPECT_EQ(shortestDoubleText(0.0), "0.0");
  EXPECT_EQ(shortestDoubleText(-0.0), "-0.0");
}

TEST(ExpressionTest, OrderingCastAndRowidTexts) {
  Expression<std::string> col("col");
  EXPECT_EQ(col.asc().template_(), "\"col\" ASC");
  EXPECT_EQ(col.desc().template_(), "\"col\" DESC");
  EXPECT_EQ(rowid().template_(), "\"ROWID\"");
  EXPECT_TRUE(rowid().bindings().empty());
  auto asInteger = col.cast<std::int64_t>();
  static_assert(std::is_same_v<decltype(asInteger), Expression<std::int64_t>>);
  EXPECT_EQ(asInteger.template_(), "CAST (\"col\" AS INTEGER)");
  static_assert(std::is_same_v<decltype(col.castOptional<double>()), Expression<std::optional<double>>>);
  EXPECT_EQ(col.castOptional<double>().template_(), "CAST (\"col\" AS REAL)");
}

TEST(ExpressionTest, JoinKeepsTemplatesAndBindingsInOrder) {
  auto joined = join(", ", {Expression<std::int64_t>::value(1).expression(), Expression<void>::literal("x"),
                            Expression<std::int64_t>::value(3).expression()});
  EXPECT_EQ(joined.template_(), "?, x, ?");
  EXPECT_EQ(joined.asSQL(), "1, x, 3");
  EXPECT_EQ(join(", ", std::vector<Expression<void>>{}).template_(), "");
}

TEST(ExpressionTest, InfixAndWrapBuildOperatorAndCallTexts) {
  auto col = Expression<std::int64_t>("col").expression();
  auto five = Expression<std::int64_t>::value(5).expression();
  EXPECT_EQ(infix(col, five, "=").template_(), "(\"col\" = ?)");
  EXPECT_EQ(infix(col, five, "=", false).template_(), "\"col\" = ?");
  EXPECT_EQ(infix(col, five, "=").bindings().size(), 1U);
  EXPECT_EQ(wrap("count", starExpression()).template_(), "count(*)");
  EXPECT_EQ(wrap("", col).template_(), "(\"col\")");
}

}  // namespace
}  // namespace sql
