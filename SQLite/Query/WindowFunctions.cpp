#include "SQLite/Query/WindowFunctions.h"

#include <array>

namespace sql {

namespace {
constexpr std::array<std::string_view, 11> functionNames{
    "ntile", "row_number", "rank",        "dense_rank", "percent_rank", "cume_dist",
    "lag",   "lead",       "first_value", "last_value", "nth_value"};

Expression<void> overClause(const Expression<void>& orderBy) {
  return Expression<void>("OVER (ORDER BY " + orderBy.template_() + ")", orderBy.bindings());
}

// The call's text up to its closing parenthesis, then OVER (ORDER BY o); bindings c's then o's.
Expression<void> callOver(std::string call, const Expression<void>& operand,
                          const Expression<void>& orderBy) {
  Bindings bindings = operand.bindings();
  bindings.insert(bindings.end(), orderBy.bindings().begin(), orderBy.bindings().end());
  return Expression<void>(std::move(call) + ") OVER (ORDER BY " + orderBy.template_() + ")",
                          std::move(bindings));
}
}  // namespace

std::string_view rawText(WindowFunction function) {
  return functionNames[static_cast<std::size_t>(function)];
}

namespace detail {

Expression<void> over(WindowFunction function, std::optional<std::int64_t> value,
                      const Expression<void>& orderBy) {
  const auto name = rawText(function);
  const auto call = value ? wrap(name, Expression<Int64>::value(*value).expression())
                          : Expression<void>(std::string(name) + "()", {});
  return join(" ", {call, overClause(orderBy)});
}

Expression<void> overExpression(WindowFunction function, const Expression<void>& operand,
                                const Expression<void>& orderBy) {
  return join(" ", {wrap(rawText(function), operand), overClause(orderBy)});
}

Expression<void> lagLead(WindowFunction function, const Expression<void>& operand, std::int64_t offset,
                         const std::optional<Expression<void>>& defaultValue,
                         const Expression<void>& orderBy) {
  std::string call =
      std::string(rawText(function)) + "(" + operand.template_() + ", " + std::to_string(offset);
  if (defaultValue) call += ", " + defaultValue->asSQL();
  return callOver(std::move(call), operand, orderBy);
}

Expression<void> nthValue(const Expression<void>& operand, std::int64_t n, const Expression<void>& orderBy) {
  return callOver("nth_value(" + operand.template_() + ", " + std::to_string(n), operand, orderBy);
}

}  // namespace detail
}  // namespace sql
