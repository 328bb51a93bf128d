#pragma once

#include <exception>
#include <string>
#include <vector>

namespace sql {

// A failed lookup while reading typed rows by column name.
class QueryError : public std::exception {
 public:
  enum class Kind { noSuchTable, noSuchColumn, ambiguousColumn, unexpectedNullValue };

  static QueryError noSuchTable(std::string name);
  static QueryError noSuchColumn(std::string name, std::vector<std::string> columns);
  static QueryError ambiguousColumn(std::string name, std::vector<std::string> similar);
  static QueryError unexpectedNullValue(std::string name);

  Kind kind() const noexcept { return kind_; }
  const std::string& name() const noexcept { return name_; }
  // The known columns for noSuchColumn, the similar ones for ambiguousColumn, else empty.
  const std::vector<std::string>& columns() const noexcept { return columns_; }

  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  QueryError(Kind kind, std::string name, std::vector<std::string> columns);

  Kind kind_;
  std::string name_;
  std::vector<std::string> columns_;
  std::string description_;
};

}  // namespace sql
