#include "SQLite/Query/ColumnTypeError.h"

#include <type_traits>
#include <utility>
#include <variant>

namespace sql {

std::string ColumnTypeError::storageName(const Binding& value) {
  return std::visit(
      [](const auto& held) -> std::string {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::int64_t>) return "INTEGER";
        if constexpr (std::is_same_v<T, double>) return "REAL";
        if constexpr (std::is_same_v<T, std::string>) return "TEXT";
        return "BLOB";
      },
      value);
}

ColumnTypeError::ColumnTypeError(std::string column, std::string expected, const Binding& found)
    : std::runtime_error("Column `" + column + "` holds " + storageName(found) + " data where " + expected +
                         " was expected"),
      column_(std::move(column)),
      expected_(std::move(expected)),
      found_(storageName(found)) {}

}  // namespace sql
