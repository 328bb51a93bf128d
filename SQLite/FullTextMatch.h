#pragma once

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/VirtualTable.h"

#include <optional>
#include <string>

namespace sql {

// MATCH conditions on a full-text table: (<table> MATCH <pattern>).
//
// The engine finds a full-text table's hidden column, named after the table, only through
// the table's own name, so the left side is "name" for a plain table, "alias"."name" for an
// aliased one and "database"."name"."name" for a database-qualified one.
Expression<void> matchTarget(const VirtualTable& table);

// A text pattern is bound as one value.
Expression<bool> matchCondition(const VirtualTable& table, const std::string& pattern);
Expression<bool> matchCondition(const VirtualTable& table, const Expression<std::string>& pattern);
Expression<std::optional<bool>> matchCondition(const VirtualTable& table,
                                               const Expression<std::optional<std::string>>& pattern);

// The table with the MATCH condition added to its filter.
template <class Pattern>
VirtualTable match(const VirtualTable& table, const Pattern& pattern) {
  return table.filter(matchCondition(table, pattern));
}

}  // namespace sql
