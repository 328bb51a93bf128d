#pragma once

#include <concepts>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "SQLite/Query/Optionality.h"
#include "SQLite/Query/ValueBinding.h"
#include "SQLite/Quote.h"

namespace sql {

template <class T = void>
class Expression;

// Anything that can stand in SQL as a fragment: it yields its template and bindings as an
// untyped expression.
template <class E>
concept Expressible = requires(const E& e) {
  { e.expression() } -> std::same_as<Expression<void>>;
};

// A list of one binding, moved in: a braced list would copy the value. The bound values of a
// statement are made one by one on the path of every insert and filter.
inline Bindings singleBinding(std::optional<Binding> binding) {
  Bindings bindings;
  bindings.reserve(1);
  bindings.push_back(std::move(binding));
  return bindings;
}

// Renders a template with each placeholder replaced by the SQL literal of its binding, numbered
// as the engine numbers them when it binds: "?" is the next binding, "?NNN" binding NNN. A "?"
// inside a quoted name ("..", `..`, [..]), a quoted text or blob ('..', x'..') or a comment is
// part of that text and stays. A placeholder without a binding is written as NULL.
std::string renderWithLiterals(std::string_view templateText, const Bindings& bindings);

// The SQL literal of one binding: NULL, x'..' for blobs, quoted text, numbers as their
// shortest round-trip text.
std::string literalOf(const std::optional<Binding>& binding);

// The shortest decimal text that reads back as the same double, in the forms 1.0, 0.25, 1e-05.
std::string shortestDoubleText(double value);

// A typed fragment of SQL: a template in which each "?" stands for one bound value, and the
// bindings in the order of the marks. T is a compile-time tag only (the type the SQL
// evaluates to, std::optional<V> when it may be NULL); Expression<void> is the untyped
// fragment. Plain value, copied freely; there is deliberately no conversion to bool.
template <class T>
class Expression {
 public:
  using UnderlyingType = T;

  Expression(std::string templateText, Bindings bindings)
      : text_(std::move(templateText)), bindings_(std::move(bindings)) {}

  // A column or other identifier: the name in double quotes, inner quotes doubled.
  explicit Expression(std::string_view identifier) : text_(quote(identifier, '"')) {}

  // Re-types another fragment: same template, same bindings.
  template <class U>
  requires(!std::same_as<U, T>) explicit Expression(const Expression<U>& other)
      : text_(other.template_()), bindings_(other.bindings()) {}
  template <class U>
  requires(!std::same_as<U, T>) explicit Expression(Expression<U>&& other)
      : text_(std::move(other.text_)), bindings_(std::move(other.bindings_)) {}

  // Raw SQL text with no bindings.
  static Expression literal(std::string text) { return Expression(std::move(text), {}); }

  // One "?" bound to the binding (absent binds NULL).
  static Expression placeholder(std::optional<Binding> binding) {
    return Expression(Placeholder{}, std::move(binding));
  }

  // One "?" bound to the value (an absent optional binds NULL).
  template <class V>
  requires Value<Unwrapped<T>> && std::convertible_to<V, T>
  static Expression value(const V& v) { return placeholder(toBinding(T(v))); }

  // One "?" bound to NULL.
  static Expression nullValue() requires IsOptional<T> { return placeholder(std::nullopt); }

  const std::string& template_() const { return text_; }
  const Bindings& bindings() const { return bindings_; }

  Expression<void> expression() const& {
    if constexpr (std::is_void_v<T>) {
      return *this;
    } else {
      return Expression<void>(*this);
    }
  }
  Expression<void> expression() && {
    if constexpr (std::is_void_v<T>) {
      return std::move(*this);
    } else {
      return Expression<void>(std::move(*this));
    }
  }

  // Self-contained SQL with every value written in as a literal.
  std::string asSQL() const { return renderWithLiterals(text_, bindings_); }
  std::string description() const { return asSQL(); }

  // Ordering terms: the template, a blank, then ASC or DESC.
  Expression<void> asc() const { return Expression<void>(text_ + " ASC", bindings_); }
  Expression<void> desc() const { return Expression<void>(text_ + " DESC", bindings_); }

  // CAST (template AS declared-type-of-U), typed U; castOptional gives std::optional<U>.
  template <Value U>
  Expression<U> cast() const {
    return Expression<U>("CAST (" + text_ + " AS " + declaredTypeOf<U>() + ")", bindings_);
  }
  template <Value U>
  Expression<std::optional<U>> castOptional() const {
    return Expression<std::optional<U>>(cast<U>());
  }

 private:
  template <class>
  friend class Expression;

  // Builds the "?" in place: plain values are bound on the path of every insert and filter.
  struct Placeholder {};
  Expression(Placeholder, std::optional<Binding> binding)
      : text_("?"), bindings_(singleBinding(std::move(binding))) {}

  std::string text_;
  Bindings bindings_;
};

template <Expressible E>
std::string asSQL(const E& fragment) {
  Expression<void> e = fragment.expression();
  return renderWithLiterals(e.template_(), e.bindings());
}

// The fragment of any expressible, or of a plain value ("?" and its binding).
template <class X>
Expression<void> fragmentOf(const X& x) {
  if constexpr (Expressible<X>) {
    return x.expression();
  } else {
    static_assert(Value<X>, "not a value the engine can bind");
    return Expression<void>::placeholder(toBinding(x));
  }
}

// An argument that is, or refers to, something expressible.
template <class X>
concept ExpressibleArgument = Expressible<std::remove_cvref_t<X>>;

// The fragments of the items, in order, each made once and moved into the list (a braced list
// would copy every fragment a second time); a temporary item gives up its own text.
template <ExpressibleArgument... Items>
std::vector<Expression<void>> fragmentList(Items&&... items) {
  std::vector<Expression<void>> fragments;
  fragments.reserve(sizeof...(Items));
  (fragments.push_back(std::forward<Items>(items).expression()), ...);
  return fragments;
}

// The fragments' templates joined by the separator, their bindings concatenated in order.
Expression<void> join(std::string_view separator, std::span<const Expression<void>> fragments);

template <class R = void>
Expression<R> join(std::string_view separator, std::initializer_list<Expression<void>> fragments) {
  return Expression<R>(
      join(separator, std::span<const Expression<void>>(fragments.begin(), fragments.size())));
}

inline Expression<void> join(std::string_view separator, const std::vector<Expression<void>>& fragments) {
  return join(separator, std::span<const Expression<void>>(fragments));
}

// name(fragment), keeping the bindings; the empty name gives plain parentheses.
template <class R = void>
Expression<R> wrap(std::string_view name, const Expression<void>& fragment) {
  std::string text;
  text.reserve(name.size() + fragment.template_().size() + 2);
  text.append(name).append("(").append(fragment.template_()).append(")");
  return Expression<R>(std::move(text), fragment.bindings());
}

// left OP right, in parentheses when `wrapped`; left's bindings, then right's. The operands
// may be expressions of any type: they are read, never copied whole.
template <class R = void, class A, class B>
Expression<R> infix(const Expression<A>& left, const Expression<B>& right, std::string_view op,
                    bool wrapped = true) {
  std::string text;
  text.reserve(left.template_().size() + right.template_().size() + op.size() + 4);
  if (wrapped) text += '(';
  text.append(left.template_()).append(" ").append(op).append(" ").append(right.template_());
  if (wrapped) text += ')';
  Bindings bindings;
  bindings.reserve(left.bindings().size() + right.bindings().size());
  bindings.insert(bindings.end(), left.bindings().begin(), left.bindings().end());
  bindings.insert(bindings.end(), right.bindings().begin(), right.bindings().end());
  return Expression<R>(std::move(text), std::move(bindings));
}

// The template "*" with no bindings.
inline Expression<void> starExpression() { return Expression<void>::literal("*"); }

// "ROWID" in double quotes.
const Expression<void>& rowid();

}  // namespace sql
