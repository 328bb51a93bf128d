#include "SQLite/Binding.h"

#include <cstdio>

namespace sql {
namespace {

std::string describeDouble(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

std::string describe(const std::optional<Binding>& binding) {
  if (!binding) return "NULL";
  return std::visit(
      [](const auto& value) -> std::string {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::int64_t>)
          return std::to_string(value);
        else if constexpr (std::is_same_v<T, double>)
          return describeDouble(value);
        else if constexpr (std::is_same_v<T, std::string>)
          return value;
        else
          return value.description();
      },
      *binding);
}

}  // namespace sql
