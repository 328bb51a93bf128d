#pragma once

#include <optional>

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Operators.h"

// Calls of SQL's aggregate functions, for select lists and HAVING. The argument's bindings
// are carried over in order.
namespace sql {

// DISTINCT t, keeping the type: count(distinct(column)) is count(DISTINCT "column").
template <class T>
Expression<T> distinct(const Expression<T>& operand) {
  return Expression<T>("DISTINCT " + operand.template_(), operand.bindings());
}

// count(t): never NULL.
template <class T>
Expression<Int64> count(const Expression<T>& operand) {
  return wrap<Int64>("count", operand.expression());
}

// count(*)
inline Expression<Int64> countStar() { return wrap<Int64>("count", starExpression()); }

// max(t), min(t): NULL over no rows, so always optional.
template <class T>
requires Value<Unwrapped<T>> Expression<std::optional<Unwrapped<T>>> max(const Expression<T>& operand) {
  return wrap<std::optional<Unwrapped<T>>>("max", operand.expression());
}

template <class T>
requires Value<Unwrapped<T>> Expression<std::optional<Unwrapped<T>>> min(const Expression<T>& operand) {
  return wrap<std::optional<Unwrapped<T>>>("min", operand.expression());
}

// sum(t): NULL over no rows.
template <class T>
requires Number<Unwrapped<T>> Expression<std::optional<Unwrapped<T>>> sum(const Expression<T>& operand) {
  return wrap<std::optional<Unwrapped<T>>>("sum", operand.expression());
}

// avg(t): a real number, NULL over no rows.
template <class T>
requires Number<Unwrapped<T>> Expression<std::optional<double>> avg(const Expression<T>& operand) {
  return wrap<std::optional<double>>("avg", operand.expression());
}

// total(t): a real number, 0.0 over no rows.
template <class T>
requires Number<Unwrapped<T>> Expression<double> total(const Expression<T>& operand) {
  return wrap<double>("total", operand.expression());
}

}  // namespace sql
