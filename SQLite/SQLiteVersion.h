#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace sql {

// A version of the engine library, ordered by major, then minor, then point. The zero value
// stands for a version that could not be read.
struct SQLiteVersion {
  std::int64_t major = 0;
  std::int64_t minor = 0;
  std::int64_t point = 0;

  // "SQLite 3.39.5"
  std::string description() const;

  auto operator<=>(const SQLiteVersion&) const = default;
};

}  // namespace sql
