#include "SQLite/QueryError.h"

namespace sql {
namespace {

// ["a", "b \"quoted\""]: each text as a double-quoted literal, quotes and backslashes escaped.
std::string listText(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) list += ", ";
    list += '"';
    for (char c : texts[i]) {
      if (c == '"' || c == '\\') list += '\\';
      list += c;
    }
    list += '"';
  }
  return list + "]";
}

std::string describeQueryError(QueryError::Kind kind, const std::string& name,
                               const std::vector<std::string>& columns) {
  switch (kind) {
    case QueryError::Kind::noSuchTable:
      return "No such table: " + name;
    case QueryError::Kind::noSuchColumn:
      return "No such column `" + name + "` in columns " + listText(columns);
    case QueryError::Kind::ambiguousColumn:
      return "Ambiguous column `" + name + "` (please disambiguate: " + listText(columns) + ")";
    case QueryError::Kind::unexpectedNullValue:
      return "Unexpected null value for column `" + name + "`";
  }
  return {};
}

}  // namespace

QueryError::QueryError(Kind kind, std::string name, std::vector<std::string> columns)
    : kind_(kind),
      name_(std::move(name)),
      columns_(std::move(columns)),
      description_(describeQueryError(kind_, name_, columns_)) {}

QueryError QueryError::noSuchTable(std::string name) {
  return QueryError(Kind::noSuchTable, std::move(name), {});
}

QueryError QueryError::noSuchColumn(std::string name, std::vector<std::string> columns) {
  return QueryError(Kind::noSuchColumn, std::move(name), std::move(columns));
}

QueryError QueryError::ambiguousColumn(std::string name, std::vector<std::string> similar) {
  return QueryError(Kind::ambiguousColumn, std::move(name), std::move(similar));
}

QueryError QueryError::unexpectedNullValue(std::string name) {
  return QueryError(Kind::unexpectedNullValue, std::move(name), {});
}

}  // namespace sql
