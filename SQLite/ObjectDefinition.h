#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sql {

// One row of the schema catalogue.
struct ObjectDefinition {
  enum class ObjectType { table, index, view, trigger };
  static std::string_view rawText(ObjectType type) noexcept;
  // Exact, case-sensitive; absent for any other text.
  static std::optional<ObjectType> objectType(std::string_view rawText) noexcept;

  ObjectType type = ObjectType::table;
  std::string name;
  std::string tableName;  // the table the object belongs to; a table's own name for a table
  std::int64_t rootpage = 0;
  std::optional<std::string> sql;  // the stored CREATE statement; absent for the engine's own

  // Made by the engine itself: the name begins with "sqlite_" (case-sensitive) or there is no
  // stored statement.
  bool isEngineInternal() const;

  bool operator==(const ObjectDefinition&) const = default;
};

}  // namespace sql
