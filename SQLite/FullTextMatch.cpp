#include "SQLite/FullTextMatch.h"

#include "SQLite/Quote.h"

namespace sql {

Expression<void> matchTarget(const VirtualTable& table) {
  const auto& from = table.clauses().from;
  std::string text;
  if (from.alias)
    text = quote(*from.alias) + ".";
  else if (from.database)
    text = quote(*from.database) + "." + quote(from.name) + ".";
  return Expression<void>::literal(text + quote(from.name));
}

Expression<bool> matchCondition(const VirtualTable& table, const std::string& pattern) {
  return matchCondition(table, Expression<std::string>("?", Bindings{Binding(pattern)}));
}

Expression<bool> matchCondition(const VirtualTable& table, const Expression<std::string>& pattern) {
  return infix<bool>(matchTarget(table), pattern.expression(), "MATCH");
}

Expression<std::optional<bool>> matchCondition(const VirtualTable& table,
                                               const Expression<std::optional<std::string>>& pattern) {
  return infix<std::optional<bool>>(matchTarget(table), pattern.expression(), "MATCH");
}

}  // namespace sql
