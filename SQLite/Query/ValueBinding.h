#pragma once

#include <optional>
#include <string>
#include <variant>

#include "SQLite/Value.h"

namespace sql {

// The SQL type word of a value type, as column definitions and CAST write it.
template <Value V>
std::string declaredTypeOf() {
  return ValueTraits<V>::declaredDatatype();
}

// V made from a stored value, or nothing when the value is held under another storage type.
template <Value V>
std::optional<V> valueFromBinding(const Binding& stored) {
  const auto* held = std::get_if<typename ValueTraits<V>::Datatype>(&stored);
  if (held == nullptr) return std::nullopt;
  return ValueTraits<V>::fromDatatypeValue(*held);
}

}  // namespace sql
