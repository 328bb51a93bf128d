#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SQLite/Query/Collation.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Operators.h"

// Calls of the engine's core scalar functions and its text-matching operators. Application
// values (patterns, precisions, list elements) are bound, never written into the text; the
// receiver's bindings come first.
namespace sql {

enum class CoreFunction {
  abs,
  round,
  random,
  randomblob,
  zeroblob,
  length,
  lower,
  upper,
  ltrim,
  rtrim,
  trim,
  replace,
  substr,
  like,
  in,
  glob,
  match,
  regexp,
  collate,
  ifnull,
};

std::string_view rawText(CoreFunction function);

template <class T>
concept TextTag = std::same_as<Unwrapped<T>, std::string>;

namespace detail {
// name(a, b, ...), each argument an expression or a bound value.
template <class R, class... Arguments>
Expression<R> call(CoreFunction function, const Arguments&... arguments) {
  return wrap<R>(rawText(function), join(", ", {fragmentOf(arguments)...}));
}

// (left WORD right)
template <class R>
Expression<R> infixWord(CoreFunction function, const Expression<void>& left, const Expression<void>& right) {
  return infix<R>(left, right, rawText(function));
}

inline Expression<void> boundText(const std::string& text) {
  return Expression<std::string>::value(text).expression();
}
}  // namespace detail

template <class T>
requires Number<Unwrapped<T>> Expression<T> abs(const Expression<T>& x) {
  return detail::call<T>(CoreFunction::abs, x);
}

// round(x) or round(x, ?) with the precision bound.
template <class T>
requires std::same_as < Unwrapped<T>,
double > Expression<T> round(const Expression<T>& x, std::optional<std::int64_t> precision = std::nullopt) {
  if (!precision) return detail::call<T>(CoreFunction::round, x);
  return detail::call<T>(CoreFunction::round, x, *precision);
}

inline Expression<Int64> random() { return Expression<Int64>("random()", {}); }
inline Expression<Blob> randomBlob(std::int64_t length) {
  return detail::call<Blob>(CoreFunction::randomblob, length);
}
inline Expression<Blob> zeroBlob(std::int64_t length) {
  return detail::call<Blob>(CoreFunction::zeroblob, length);
}

template <TextTag T>
Expression<LiftOptional<Int64, T>> length(const Expression<T>& x) {
  return detail::call<LiftOptional<Int64, T>>(CoreFunction::length, x);
}

template <TextTag T>
Expression<T> lower(const Expression<T>& x) {
  return detail::call<T>(CoreFunction::lower, x);
}

template <TextTag T>
Expression<T> upper(const Expression<T>& x) {
  return detail::call<T>(CoreFunction::upper, x);
}

// (x LIKE ?) or (x LIKE ? ESCAPE ?).
template <TextTag T>
Expression<LiftOptional<bool, T>> like(const Expression<T>& x, const std::string& pattern,
                                       std::optional<char> escape = std::nullopt) {
  return like(x, Expression<std::string>::value(pattern), escape);
}

// (x LIKE p) or (x LIKE p ESCAPE ?), p an expression.
template <TextTag T, TextTag P>
Expression<LiftOptional<bool, T>> like(const Expression<T>& x, const Expression<P>& pattern,
                                       std::optional<char> escape = std::nullopt) {
  if (!escape)
    return detail::infixWord<LiftOptional<bool, T>>(CoreFunction::like, x.expression(), pattern.expression());
  const auto joined = infix(x.expression(), pattern.expression(), "LIKE", false);
  return wrap<LiftOptional<bool, T>>("",
                                     join(" ESCAPE ", {joined, detail::boundText(std::string(1, *escape))}));
}

// (? LIKE p) with a text value on the left.
template <TextTag P>
Expression<bool> like(const std::string& text, const Expression<P>& pattern,
                      std::optional<char> escape = std::nullopt) {
  return Expression<bool>(like(Expression<std::string>::value(text), pattern, escape));
}

template <TextTag T>
Expression<LiftOptional<bool, T>> glob(const Expression<T>& x, const std::string& pattern) {
  return detail::infixWord<LiftOptional<bool, T>>(CoreFunction::glob, x.expression(),
                                                  detail::boundText(pattern));
}

// MATCH yields a plain Bool even on an optional operand.
template <TextTag T>
Expression<bool> match(const Expression<T>& x, const std::string& pattern) {
  return detail::infixWord<bool>(CoreFunction::match, x.expression(), detail::boundText(pattern));
}

template <TextTag T>
Expression<LiftOptional<bool, T>> regexp(const Expression<T>& x, const std::string& pattern) {
  return detail::infixWord<LiftOptional<bool, T>>(CoreFunction::regexp, x.expression(),
                                                  detail::boundText(pattern));
}

// (x COLLATE c)
template <TextTag T>
Expression<T> collate(const Expression<T>& x, const Collation& collation) {
  return detail::infixWord<T>(CoreFunction::collate, x.expression(), collation.expression());
}

// ltrim(x) or ltrim(x, ?) with the characters as one bound text; likewise rtrim and trim.
template <TextTag T>
Expression<T> ltrim(const Expression<T>& x, const std::optional<std::string>& characters = std::nullopt) {
  if (!characters) return detail::call<T>(CoreFunction::ltrim, x);
  return detail::call<T>(CoreFunction::ltrim, x, *characters);
}

template <TextTag T>
Expression<T> rtrim(const Expression<T>& x, const std::optional<std::string>& characters = std::nullopt) {
  if (!characters) return detail::call<T>(CoreFunction::rtrim, x);
  return detail::call<T>(CoreFunction::rtrim, x, *characters);
}

template <TextTag T>
Expression<T> trim(const Expression<T>& x, const std::optional<std::string>& characters = std::nullopt) {
  if (!characters) return detail::call<T>(CoreFunction::trim, x);
  return detail::call<T>(CoreFunction::trim, x, *characters);
}

// replace(x, ?, ?)
template <TextTag T>
Expression<T> replace(const Expression<T>& x, const std::string& pattern, const std::string& replacement) {
  return detail::call<T>(CoreFunction::replace, x, pattern, replacement);
}

// substr(x, ?) or substr(x, ?, ?)
template <TextTag T>
Expression<T> substr(const Expression<T>& x, std::int64_t location,
                     std::optional<std::int64_t> length = std::nullopt) {
  if (!length) return detail::call<T>(CoreFunction::substr, x, location);
  return detail::call<T>(CoreFunction::substr, x, location, *length);
}

// The half-open range [lower, upper): substr(x, ?, ?) bound to lower and upper - lower.
template <TextTag T>
Expression<T> substrRange(const Expression<T>& x, std::int64_t lower, std::int64_t upper) {
  return substr(x, lower, upper - lower);
}

// (x IN (?, ?, ...)), one mark per element.
template <class T>
requires Value<Unwrapped<T>> Expression<LiftOptional<bool, T>> inList(const std::vector<Unwrapped<T>>& values,
                                                                      const Expression<T>& x) {
  std::string marks;
  Bindings bindings;
  bindings.reserve(values.size());
  for (const auto& value : values) {
    marks += marks.empty() ? "?" : ", ?";
    bindings.emplace_back(toBinding(value));
  }
  return detail::infixWord<LiftOptional<bool, T>>(CoreFunction::in, x.expression(),
                                                  Expression<void>("(" + marks + ")", std::move(bindings)));
}

// ifnull(a, ?) / ifnull(a, b)
template <Value V>
Expression<V> ifNull(const Expression<std::optional<V>>& a, const std::type_identity_t<V>& value) {
  return detail::call<V>(CoreFunction::ifnull, a, value);
}

template <Value V>
Expression<V> ifNull(const Expression<std::optional<V>>& a, const Expression<V>& b) {
  return detail::call<V>(CoreFunction::ifnull, a, b);
}

template <Value V>
Expression<V> ifNull(const Expression<std::optional<V>>& a, const Expression<std::optional<V>>& b) {
  return detail::call<V>(CoreFunction::ifnull, a, b);
}

}  // namespace sql
