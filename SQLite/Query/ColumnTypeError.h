#pragma once

#include <stdexcept>
#include <string>

#include "SQLite/Binding.h"

namespace sql {

// A typed read met a value stored under another storage type than the requested type's
// (for example TEXT where an INTEGER column was asked for). The data is there; it is not
// NULL, so this is reported apart from QueryError's unexpected null.
class ColumnTypeError : public std::runtime_error {
 public:
  // `column`: the column's SQL text; `expected`: the requested storage (INTEGER, REAL, TEXT, BLOB).
  ColumnTypeError(std::string column, std::string expected, const Binding& found);

  const std::string& column() const noexcept { return column_; }
  const std::string& expected() const noexcept { return expected_; }
  const std::string& found() const noexcept { return found_; }

  // The storage word of a stored value: INTEGER, REAL, TEXT or BLOB.
  static std::string storageName(const Binding& value);

 private:
  std::string column_;
  std::string expected_;
  std::string found_;
};

}  // namespace sql
