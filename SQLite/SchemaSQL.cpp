#include "SQLite/SchemaSQL.h"

#include "SQLite/Quote.h"

#include <algorithm>
#include <stdexcept>

namespace sql {
namespace {

bool hasCompositeKey(const std::vector<ColumnDefinition>& columns) {
  return std::count_if(columns.begin(), columns.end(),
                       [](const auto& c) { return c.primaryKey.has_value(); }) > 1;
}

std::string quotedNames(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + quote(name);
  return text;
}

std::string keyConstraint(const std::vector<ColumnDefinition>& columns) {
  std::string text = "PRIMARY KEY (";
  bool first = true;
  for (const auto& column : columns) {
    if (!column.primaryKey) continue;
    if (!first) text += ", ";
    text += quote(column.name);
    first = false;
  }
  return text + ")";
}

}  // namespace

// The name is quoted: a table name holding a blank, a keyword or a quote mark must stay one
// identifier.
std::string createTableSQL(bool temporary, const std::string& name,
                           const std::vector<ColumnDefinition>& columns,
                           const std::vector<std::vector<std::string>>& unique) {
  if (columns.empty()) throw std::invalid_argument("cannot create table " + name + " without columns");
  const bool composite = hasCompositeKey(columns);
  std::string definitions;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) definitions += ",\n";
    definitions += composite ? columns[i].definitionSQLWithoutPrimaryKey() : columns[i].definitionSQL();
  }
  if (composite) definitions += ",\n" + keyConstraint(columns);
  for (const auto& names : unique) definitions += ",\nUNIQUE (" + quotedNames(names) + ")";
  return std::string("CREATE") + (temporary ? " TEMPORARY" : "") + " TABLE " + quote(name) + " ( " +
         definitions + " )";
}

std::string quotedColumnNames(const std::vector<ColumnDefinition>& columns) {
  std::string text;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) text += ", ";
    text += quote(columns[i].name);
  }
  return text;
}

std::string copyRowsSQL(const std::string& target, const std::vector<ColumnDefinition>& targetColumns,
                        const std::string& source, const std::vector<ColumnDefinition>& sourceColumns) {
  if (sourceColumns.empty() || sourceColumns.size() != targetColumns.size())
    throw std::invalid_argument("cannot copy rows of " + source + " into " + target +
                                ": the columns do not pair up");
  return "INSERT INTO " + quote(target) + " (" + quotedColumnNames(targetColumns) + ") SELECT " +
         quotedColumnNames(sourceColumns) + " FROM " + quote(source);
}

}  // namespace sql
