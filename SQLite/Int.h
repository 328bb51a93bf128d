#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace sql {

// The system's machine-word integer. It is 64 bits wide like `Int64` (std::int64_t) but is a
// type of its own, so that it carries its own declared column type (see ValueTraits<Int>).
// It converts implicitly from and to std::int64_t and so behaves as an integer in arithmetic
// and comparisons.
struct Int {
  std::int64_t value = 0;

  constexpr Int() noexcept = default;
  constexpr Int(std::int64_t v) noexcept : value(v) {}                // NOLINT: implicit by design
  constexpr operator std::int64_t() const noexcept { return value; }  // NOLINT
};

using Int64 = std::int64_t;

}  // namespace sql

template <>
struct std::hash<sql::Int> {
  std::size_t operator()(sql::Int i) const noexcept { return std::hash<std::int64_t>{}(i.value); }
};
