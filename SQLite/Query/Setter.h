#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Operators.h"

namespace sql {

// One assignment of a value to a column, the unit INSERT and UPDATE are built from. Its own
// text is `column = value`. Plain value, fixed when made.
class Setter {
 public:
  Setter(Expression<void> column, Expression<void> value)
      : column_(std::move(column)), value_(std::move(value)) {}

  const Expression<void>& column() const { return column_; }
  const Expression<void>& value() const { return value_; }

  Expression<void> expression() const { return infix(column_, value_, "=", false); }

 private:
  Expression<void> column_;
  Expression<void> value_;
};

// Plain assignments. The value is always bound ("?"), never written into the text; an absent
// optional value is bound as NULL.

template <Value V>
Setter assign(const Expression<V>& column, const std::type_identity_t<V>& value) {
  return Setter(column.expression(), Expression<V>::value(value).expression());
}

template <Value V>
Setter assign(const Expression<std::optional<V>>& column,
              const std::type_identity_t<std::optional<V>>& value) {
  return Setter(column.expression(), Expression<std::optional<V>>::value(value).expression());
}

template <Value V>
Setter assign(const Expression<V>& column, const Expression<V>& value) {
  return Setter(column.expression(), value.expression());
}

template <Value V>
Setter assign(const Expression<std::optional<V>>& column, const Expression<V>& value) {
  return Setter(column.expression(), value.expression());
}

template <Value V>
Setter assign(const Expression<std::optional<V>>& column, const Expression<std::optional<V>>& value) {
  return Setter(column.expression(), value.expression());
}

// Compound assignments: column = (column OP operand), the operand an expression or a bound value.

template <class T, class X>
requires NumberOperands<Expression<T>, X> Setter addAssign(const Expression<T>& column, const X& operand) {
  return Setter(column.expression(), (column + operand).expression());
}

template <class T, class X>
requires NumberOperands<Expression<T>, X> Setter subtractAssign(const Expression<T>& column,
                                                                const X& operand) {
  return Setter(column.expression(), (column - operand).expression());
}

template <class T, class X>
requires NumberOperands<Expression<T>, X> Setter multiplyAssign(const Expression<T>& column,
                                                                const X& operand) {
  return Setter(column.expression(), (column * operand).expression());
}

template <class T, class X>
requires NumberOperands<Expression<T>, X> Setter divideAssign(const Expression<T>& column, const X& operand) {
  return Setter(column.expression(), (column / operand).expression());
}

template <class T, class X>
requires IntegerOperands<Expression<T>, X> Setter remainderAssign(const Expression<T>& column,
                                                                  const X& operand) {
  return Setter(column.expression(), (column % operand).expression());
}

template <class T, class X>
requires IntegerOperands<Expression<T>, X> Setter leftShiftAssign(const Expression<T>& column,
                                                                  const X& operand) {
  return Setter(column.expression(), (column << operand).expression());
}

template <class T, class X>
requires IntegerOperands<Expression<T>, X> Setter rightShiftAssign(const Expression<T>& column,
                                                                   const X& operand) {
  return Setter(column.expression(), (column >> operand).expression());
}

template <class T, class X>
requires IntegerOperands<Expression<T>, X> Setter bitwiseAndAssign(const Expression<T>& column,
                                                                   const X& operand) {
  return Setter(column.expression(), (column & operand).expression());
}

template <class T, class X>
requires IntegerOperands<Expression<T>, X> Setter bitwiseOrAssign(const Expression<T>& column,
                                                                  const X& operand) {
  return Setter(column.expression(), (column | operand).expression());
}

template <class T, class X>
requires IntegerOperands<Expression<T>, X> Setter xorAssign(const Expression<T>& column, const X& operand) {
  return Setter(column.expression(), xor_(column, operand).expression());
}

template <class T, class X>
requires TextOperands<Expression<T>, X> Setter concatAssign(const Expression<T>& column, const X& operand) {
  return Setter(column.expression(), concat(column, operand).expression());
}

namespace detail {
template <class T>
Setter step(const Expression<T>& column, std::string_view op) {
  return Setter(column.expression(),
                wrap("", infix(column.expression(), Expression<Int64>::value(1).expression(), op, false)));
}
}  // namespace detail

// column = (column + ?) bound to 1.
template <class T>
requires IntegerValue<Unwrapped<T>> Setter increment(const Expression<T>& column) {
  return detail::step(column, "+");
}

// column = (column - ?) bound to 1.
template <class T>
requires IntegerValue<Unwrapped<T>> Setter decrement(const Expression<T>& column) {
  return detail::step(column, "-");
}

}  // namespace sql
