#pragma once

#include <optional>
#include <type_traits>

namespace sql {

// The value-type tags of the builder: a plain value type V, or std::optional<V> for a
// column or result that may be NULL. These helpers choose result types from operand types.

template <class T>
struct OptionalTraits {
  static constexpr bool isOptional = false;
  using Wrapped = T;
};

template <class T>
struct OptionalTraits<std::optional<T>> {
  static constexpr bool isOptional = true;
  using Wrapped = T;
};

template <class T>
inline constexpr bool IsOptional = OptionalTraits<std::remove_cvref_t<T>>::isOptional;

// V for both V and std::optional<V>.
template <class T>
using Unwrapped = typename OptionalTraits<std::remove_cvref_t<T>>::Wrapped;

// R, or std::optional<R> as soon as one of the operand tags is optional.
template <class R, class... Operands>
using LiftOptional = std::conditional_t<(IsOptional<Operands> || ...), std::optional<R>, R>;

}  // namespace sql
