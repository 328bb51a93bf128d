#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sql {

// One violation found by the foreign-key check: a row of `from` whose reference into `to` is
// dangling. `rowId` is absent for a row of a table without row ids.
struct ForeignKeyError {
  std::string from;
  std::optional<std::int64_t> rowId;
  std::string to;

  // "from [rowId] => to", with NULL for an absent row id.
  std::string description() const;

  bool operator==(const ForeignKeyError&) const = default;
};

}  // namespace sql
