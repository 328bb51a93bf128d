#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "SQLite/Query/Expression.h"

// Window functions with an OVER clause of exactly one ORDER BY term (a column, or a column
// with its direction). The offsets of lag and lead and the n of nth_value are written into the
// text; the n of ntile is bound.
namespace sql {

enum class WindowFunction {
  ntile,
  rowNumber,
  rank,
  denseRank,
  percentRank,
  cumeDist,
  lag,
  lead,
  firstValue,
  lastValue,
  nthValue,
};

std::string_view rawText(WindowFunction function);

namespace detail {
// name(?) bound to `value`, or name() without a value; then OVER (ORDER BY o).
Expression<void> over(WindowFunction function, std::optional<std::int64_t> value,
                      const Expression<void>& orderBy);
// name(c) OVER (ORDER BY o)
Expression<void> overExpression(WindowFunction function, const Expression<void>& operand,
                                const Expression<void>& orderBy);
// name(c, offset[, default]) OVER (ORDER BY o), the default written as a literal.
Expression<void> lagLead(WindowFunction function, const Expression<void>& operand, std::int64_t offset,
                         const std::optional<Expression<void>>& defaultValue,
                         const Expression<void>& orderBy);
// nth_value(c, n) OVER (ORDER BY o)
Expression<void> nthValue(const Expression<void>& operand, std::int64_t n, const Expression<void>& orderBy);
}  // namespace detail

inline Expression<Int64> ntile(std::int64_t n, const Expressible auto& orderBy) {
  return Expression<Int64>(detail::over(WindowFunction::ntile, n, orderBy.expression()));
}
inline Expression<Int64> rowNumber(const Expressible auto& orderBy) {
  return Expression<Int64>(detail::over(WindowFunction::rowNumber, std::nullopt, orderBy.expression()));
}
inline Expression<Int64> rank(const Expressible auto& orderBy) {
  return Expression<Int64>(detail::over(WindowFunction::rank, std::nullopt, orderBy.expression()));
}
inline Expression<Int64> denseRank(const Expressible auto& orderBy) {
  return Expression<Int64>(detail::over(WindowFunction::denseRank, std::nullopt, orderBy.expression()));
}
inline Expression<double> percentRank(const Expressible auto& orderBy) {
  return Expression<double>(detail::over(WindowFunction::percentRank, std::nullopt, orderBy.expression()));
}
inline Expression<double> cumeDist(const Expressible auto& orderBy) {
  return Expression<double>(detail::over(WindowFunction::cumeDist, std::nullopt, orderBy.expression()));
}

template <class T>
Expression<T> lag(const Expression<T>& column, std::int64_t offset,
                  const std::optional<Expression<void>>& defaultValue, const Expressible auto& orderBy) {
  return Expression<T>(
      detail::lagLead(WindowFunction::lag, column.expression(), offset, defaultValue, orderBy.expression()));
}

template <class T>
Expression<T> lead(const Expression<T>& column, std::int64_t offset,
                   const std::optional<Expression<void>>& defaultValue, const Expressible auto& orderBy) {
  return Expression<T>(
      detail::lagLead(WindowFunction::lead, column.expression(), offset, defaultValue, orderBy.expression()));
}

template <class T>
Expression<T> firstValue(const Expression<T>& column, const Expressible auto& orderBy) {
  return Expression<T>(
      detail::overExpression(WindowFunction::firstValue, column.expression(), orderBy.expression()));
}

template <class T>
Expression<T> lastValue(const Expression<T>& column, const Expressible auto& orderBy) {
  return Expression<T>(
      detail::overExpression(WindowFunction::lastValue, column.expression(), orderBy.expression()));
}

template <class T>
Expression<T> nthValue(const Expression<T>& column, std::int64_t n, const Expressible auto& orderBy) {
  return Expression<T>(detail::nthValue(column.expression(), n, orderBy.expression()));
}

}  // namespace sql
