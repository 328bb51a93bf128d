#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "SQLite/Connection.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/Query/ValueBinding.h"

namespace sql {

// Builds the calls of a function registered with createFunction: "name"(a, b), the name
// quoted as an identifier, the arguments' bindings in order. R and Args are the value tags of
// the result and the parameters (std::optional<V> where NULL is allowed).
template <class R, class... Args>
class CustomFunction {
 public:
  explicit CustomFunction(std::string name) : name_(std::move(name)) {}

  Expression<R> operator()(const Expression<Args>&... arguments) const {
    return wrap<R>(quote(name_, '"'), join(", ", {arguments.expression()...}));
  }

  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

namespace detail {

// Parameter `index` of a registered function as its tag T. A NULL for a required parameter or
// a value of another storage type throws, which fails the calling statement.
template <class T>
T argumentAs(const Bindings& arguments, std::size_t index, const std::string& name) {
  const auto& stored = arguments.at(index);
  if (!stored) {
    if constexpr (IsOptional<T>) {
      return std::nullopt;
    } else {
      throw std::invalid_argument(name + ": NULL passed for argument " + std::to_string(index + 1));
    }
  }
  if (auto value = valueFromBinding<Unwrapped<T>>(*stored)) return T(std::move(*value));
  throw std::invalid_argument(name + ": argument " + std::to_string(index + 1) + " has the wrong type");
}

template <class R>
std::optional<Binding> resultBinding(const R& result) {
  return toBinding(result);
}

template <class R, class... Args, std::size_t... Index>
Connection::Function rowCallback(std::string name, std::function<R(Args...)> function,
                                 std::index_sequence<Index...>) {
  return [name = std::move(name), function = std::move(function)](const Bindings& arguments) {
    return resultBinding<R>(function(argumentAs<Args>(arguments, Index, name)...));
  };
}

}  // namespace detail

// Registers `function` as the SQL scalar function `name` with its fixed number of arguments
// and answers the builder of its calls. Arguments are converted from the engine's values to
// the parameter types, the result back to a value (absent: NULL). The connection keeps the
// function until it is replaced or the connection goes; a refusal by the engine stops the
// process.
template <class R, class... Args>
requires(Value<Unwrapped<R>> && (Value<Unwrapped<Args>> && ...)) CustomFunction<R, Args...> createFunction(
    Connection& db, const std::string& name, bool deterministic, std::function<R(Args...)> function) {
  db.createFunction(
      name, static_cast<int>(sizeof...(Args)), deterministic,
      detail::rowCallback<R, Args...>(name, std::move(function), std::index_sequence_for<Args...>{}));
  return CustomFunction<R, Args...>(name);
}

// The same for a lambda or function object with one call signature.
template <class F>
auto createFunction(Connection& db, const std::string& name, bool deterministic, F function) {
  return createFunction(db, name, deterministic, std::function(std::move(function)));
}

}  // namespace sql
