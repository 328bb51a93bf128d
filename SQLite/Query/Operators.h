#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "SQLite/Query/Expression.h"

namespace sql {

// The SQL texts of the operators, in one place.
enum class Operator {
  add,
  subtract,
  or_,
  and_,
  not_,
  multiply,
  divide,
  remainder,
  leftShift,
  rightShift,
  bitwiseAnd,
  bitwiseOr,
  bitwiseNot,
  equal,
  notEqual,
  greater,
  less,
  greaterOrEqual,
  lessOrEqual,
  concatenate,
};

constexpr std::string_view operatorText(Operator op) {
  constexpr std::string_view texts[] = {"+", "-", "OR", "AND", "NOT ", "*", "/", "%",  "<<", ">>",
                                        "&", "|", "~",  "=",   "!=",   ">", "<", ">=", "<=", "||"};
  return texts[static_cast<int>(op)];
}

template <class V>
concept IntegerValue = std::same_as<V, std::int64_t> || std::same_as<V, Int>;

namespace detail {

template <class X>
struct ExpressionTag {
  static constexpr bool isExpression = false;
  using Type = X;  // a plain operand stands for its own type
};

template <class T>
struct ExpressionTag<Expression<T>> {
  static constexpr bool isExpression = true;
  using Type = T;
};

template <class X>
inline constexpr bool isExpression = ExpressionTag<std::remove_cvref_t<X>>::isExpression;

template <class X>
using TagOf = typename ExpressionTag<std::remove_cvref_t<X>>::Type;

template <class X>
using ValueOf = Unwrapped<TagOf<X>>;

// Two typed expressions over the same value type, either of them possibly optional.
template <class L, class R>
concept BothExpressions =
    isExpression<L> && isExpression<R> && Value<ValueOf<L>> && std::same_as<ValueOf<L>, ValueOf<R>>;

// An expression and a plain (non-optional) value of its value type.
template <class E, class X>
concept ExpressionAndValue = isExpression<E> && !isExpression<X> && !IsOptional<X> && Value<ValueOf<E>> &&
                             std::convertible_to<const X&, ValueOf<E>>;

// An expression of an optional type and a value that may be absent (NULL-aware forms).
template <class E, class X>
concept OptionalExpressionAndOptionalValue =
    isExpression<E> && IsOptional<TagOf<E>> && !isExpression<X> && Value<ValueOf<E>> &&
    std::convertible_to<const X&, std::optional<ValueOf<E>>>;

// E·E, E·E?, E?·E, E?·E?, E·v, E?·v, v·E, v·E?
template <class L, class R>
concept StrictOperands = BothExpressions<L, R> || ExpressionAndValue<L, R> || ExpressionAndValue<R, L>;

// E·E, E·E?, E?·E, E?·E?, E·v, v·E, and the NULL-aware E?·v?, v?·E?
template <class L, class R>
concept EqualityOperands =
    BothExpressions<L, R> ||(ExpressionAndValue<L, R> && !IsOptional<TagOf<L>>) ||
    (ExpressionAndValue<R, L> && !IsOptional<TagOf<R>>) || OptionalExpressionAndOptionalValue<L, R> ||
    OptionalExpressionAndOptionalValue<R, L>;

template <class L, class R>
using CommonValue = ValueOf<std::conditional_t<isExpression<L>, L, R>>;

// The result tag: Res, optional as soon as one operand is optional.
template <class Res, class L, class R>
using Lifted = LiftOptional<Res, TagOf<L>, TagOf<R>>;

// The fragment of a plain operand: "?" and its binding.
template <class V, class X>
Expression<void> valueFragment(const X& operand) {
  if constexpr (IsOptional<X> || std::same_as<std::remove_cvref_t<X>, std::nullopt_t>) {
    return Expression<void>::placeholder(toBinding(std::optional<V>(operand)));
  } else {
    return Expression<void>::placeholder(toBinding(static_cast<V>(operand)));
  }
}

// An expression operand is read where it stands; only a plain value is made into a fragment.
template <class Res, class L, class R>
Expression<Res> binary(const L& left, const R& right, std::string_view op) {
  using V = CommonValue<L, R>;
  if constexpr (isExpression<L> && isExpression<R>) {
    return infix<Res>(left, right, op);
  } else if constexpr (isExpression<L>) {
    return infix<Res>(left, valueFragment<V>(right), op);
  } else {
    return infix<Res>(valueFragment<V>(left), right, op);
  }
}

// For the NULL-aware forms: true when a plain operand stands for an absent value.
template <class V, class X>
bool isAbsentValue(const X& operand) {
  if constexpr (isExpression<X>) {
    return false;
  } else {
    return !std::optional<V>(operand).has_value();
  }
}

// "=" / "!=" between the operands, "IS" / "IS NOT" when a plain operand is absent.
template <class L, class R>
Expression<Lifted<bool, L, R>> nullAware(const L& left, const R& right, std::string_view op,
                                         std::string_view nullOp) {
  using V = CommonValue<L, R>;
  const bool absent = isAbsentValue<V>(left) || isAbsentValue<V>(right);
  return binary<Lifted<bool, L, R>>(left, right, absent ? nullOp : op);
}

}  // namespace detail

// Comparisons ------------------------------------------------------------------------------

template <class L, class R>
requires detail::EqualityOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator==(const L& left, const R& right) { return detail::nullAware(left, right, "=", "IS"); }

template <class L, class R>
requires detail::EqualityOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator!=(const L& left, const R& right) { return detail::nullAware(left, right, "!=", "IS NOT"); }

template <class L, class R>
requires detail::EqualityOperands<L, R> Expression<detail::Lifted<bool, L, R>> is(const L& left,
                                                                                  const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, "IS");
}

template <class L, class R>
requires detail::EqualityOperands<L, R> Expression<detail::Lifted<bool, L, R>> isNot(const L& left,
                                                                                     const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, "IS NOT");
}

template <class L, class R>
requires detail::StrictOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator>(const L& left, const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, operatorText(Operator::greater));
}

template <class L, class R>
requires detail::StrictOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator>=(const L& left, const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, operatorText(Operator::greaterOrEqual));
}

template <class L, class R>
requires detail::StrictOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator<(const L& left, const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, operatorText(Operator::less));
}

template <class L, class R>
requires detail::StrictOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator<=(const L& left, const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, operatorText(Operator::lessOrEqual));
}

// Arithmetic (numbers) -------------------------------------------------------------------------

template <class L, class R>
concept NumberOperands = detail::StrictOperands<L, R> && Number<detail::CommonValue<L, R>>;

template <class L, class R>
concept IntegerOperands = detail::StrictOperands<L, R> && IntegerValue<detail::CommonValue<L, R>>;

template <class L, class R>
concept TextOperands = detail::StrictOperands<L, R> && std::same_as<detail::CommonValue<L, R>, std::string>;

template <class L, class R>
concept ConditionOperands = detail::StrictOperands<L, R> && std::same_as < detail::CommonValue<L, R>,
bool > ;

template <class L, class R>
using ArithmeticResult = Expression<detail::Lifted<detail::CommonValue<L, R>, L, R>>;

template <class L, class R>
requires NumberOperands<L, R> ArithmeticResult<L, R>
operator+(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::add));
}

template <class L, class R>
requires NumberOperands<L, R> ArithmeticResult<L, R>
operator-(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::subtract));
}

template <class L, class R>
requires NumberOperands<L, R> ArithmeticResult<L, R>
operator*(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::multiply));
}

template <class L, class R>
requires NumberOperands<L, R> ArithmeticResult<L, R>
operator/(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::divide));
}

// Integer operators --------------------------------------------------------------------------

template <class L, class R>
requires IntegerOperands<L, R> ArithmeticResult<L, R>
operator%(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::remainder));
}

template <class L, class R>
requires IntegerOperands<L, R> ArithmeticResult<L, R>
operator<<(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::leftShift));
}

template <class L, class R>
requires IntegerOperands<L, R> ArithmeticResult<L, R>
operator>>(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::rightShift));
}

template <class L, class R>
requires IntegerOperands<L, R> ArithmeticResult<L, R>
operator&(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::bitwiseAnd));
}

template <class L, class R>
requires IntegerOperands<L, R> ArithmeticResult<L, R>
operator|(const L& left, const R& right) {
  return detail::binary<detail::Lifted<detail::CommonValue<L, R>, L, R>>(left, right,
                                                                         operatorText(Operator::bitwiseOr));
}

// Unary ----------------------------------------------------------------------------------------

template <class T>
requires Number<Unwrapped<T>> Expression<T>
operator-(const Expression<T>& operand) {
  return wrap<T>(operatorText(Operator::subtract), operand.expression());
}

template <class T>
requires IntegerValue<Unwrapped<T>> Expression<T>
operator~(const Expression<T>& operand) {
  return wrap<T>(operatorText(Operator::bitwiseNot), operand.expression());
}

template <class T>
requires std::same_as < Unwrapped<T>,
bool > Expression<T> operator!(const Expression<T>& operand) {
  return wrap<T>(operatorText(Operator::not_), operand.expression());
}

// Exclusive or, composed as ~(a & b) & (a | b); a value operand is bound in both places.
template <class L, class R>
requires IntegerOperands<L, R> ArithmeticResult<L, R> xor_(const L& left, const R& right) {
  return ~(left & right) & (left | right);
}

// Text concatenation: (a || b).
template <class L, class R>
requires TextOperands<L, R> ArithmeticResult<L, R> concat(const L& left, const R& right) {
  return detail::binary<detail::Lifted<std::string, L, R>>(left, right, operatorText(Operator::concatenate));
}

// Conditions -----------------------------------------------------------------------------------

template <class L, class R>
requires ConditionOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator&&(const L& left, const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, operatorText(Operator::and_));
}

template <class L, class R>
requires ConditionOperands<L, R> Expression<detail::Lifted<bool, L, R>>
operator||(const L& left, const R& right) {
  return detail::binary<detail::Lifted<bool, L, R>>(left, right, operatorText(Operator::or_));
}

template <class T>
concept ConditionTag = std::same_as<T, bool> || std::same_as<T, std::optional<bool>>;

// (c1 AND c2 AND ... cn); callers pass at least one condition.
template <ConditionTag T>
Expression<T> and_(const std::vector<Expression<T>>& conditions) {
  std::vector<Expression<void>> fragments(conditions.begin(), conditions.end());
  return wrap<T>("", join(" AND ", fragments));
}

// (c1 OR c2 OR ... cn); callers pass at least one condition.
template <ConditionTag T>
Expression<T> or_(const std::vector<Expression<T>>& conditions) {
  std::vector<Expression<void>> fragments(conditions.begin(), conditions.end());
  return wrap<T>("", join(" OR ", fragments));
}

// Ranges (no parentheses of their own) -----------------------------------------------------

template <class T>
using RangeResult = Expression<LiftOptional<bool, T>>;

// a BETWEEN ? AND ?
template <class T>
requires Value<Unwrapped<T>> RangeResult<T> between(const Expression<T>& operand,
                                                    const std::type_identity_t<Unwrapped<T>>& lower,
                                                    const std::type_identity_t<Unwrapped<T>>& upper) {
  Bindings bindings = operand.bindings();
  bindings.emplace_back(toBinding(lower));
  bindings.emplace_back(toBinding(upper));
  return RangeResult<T>(operand.template_() + " BETWEEN ? AND ?", std::move(bindings));
}

// a >= ? AND a < ? (the operand's text and bindings are written twice)
template <class T>
requires Value<Unwrapped<T>> RangeResult<T> inHalfOpenRange(const Expression<T>& operand,
                                                            const std::type_identity_t<Unwrapped<T>>& lower,
                                                            const std::type_identity_t<Unwrapped<T>>& upper) {
  Bindings bindings = operand.bindings();
  bindings.emplace_back(toBinding(lower));
  bindings.insert(bindings.end(), operand.bindings().begin(), operand.bindings().end());
  bindings.emplace_back(toBinding(upper));
  return RangeResult<T>(operand.template_() + " >= ? AND " + operand.template_() + " < ?",
                        std::move(bindings));
}

namespace detail {
template <class T>
RangeResult<T> bounded(const Expression<T>& operand, std::string_view op, const Binding& bound) {
  Bindings bindings = operand.bindings();
  bindings.emplace_back(bound);
  return RangeResult<T>(operand.template_() + " " + std::string(op) + " ?", std::move(bindings));
}
}  // namespace detail

// a <= ?
template <class T>
requires Value<Unwrapped<T>> RangeResult<T> atMost(const Expression<T>& operand,
                                                   const std::type_identity_t<Unwrapped<T>>& upper) {
  return detail::bounded(operand, "<=", toBinding(upper));
}

// a < ?
template <class T>
requires Value<Unwrapped<T>> RangeResult<T> below(const Expression<T>& operand,
                                                  const std::type_identity_t<Unwrapped<T>>& upper) {
  return detail::bounded(operand, "<", toBinding(upper));
}

// a >= ?
template <class T>
requires Value<Unwrapped<T>> RangeResult<T> atLeast(const Expression<T>& operand,
                                                    const std::type_identity_t<Unwrapped<T>>& lower) {
  return detail::bounded(operand, ">=", toBinding(lower));
}

}  // namespace sql
