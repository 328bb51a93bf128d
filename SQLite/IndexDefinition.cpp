#include "SQLite/IndexDefinition.h"

#include "SQLite/Quote.h"

#include <regex>

namespace sql {

std::string_view IndexDefinition::rawText(Order order) noexcept {
  return order == Order::ASC ? "ASC" : "DESC";
}

std::optional<IndexDefinition::Order> IndexDefinition::order(std::string_view text) noexcept {
  if (text == "ASC") return Order::ASC;
  if (text == "DESC") return Order::DESC;
  return std::nullopt;
}

IndexDefinition::IndexError::IndexError(std::string name, std::string table)
    : name_(std::move(name)),
      table_(std::move(table)),
      description_("Index name '" + name_ + "' on table '" + table_ + "' is too long; the limit is " +
                   std::to_string(maximumNameLength) + " characters") {}

IndexDefinition::IndexError IndexDefinition::IndexError::tooLong(std::string name, std::string table) {
  return IndexError(std::move(name), std::move(table));
}

std::string IndexDefinition::createSQL(bool ifNotExists) const {
  std::string text = unique ? "CREATE UNIQUE INDEX" : "CREATE INDEX";
  if (ifNotExists) text += " IF NOT EXISTS";
  text += " " + quote(name) + " ON " + quote(table) + " (";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) text += ", ";
    text += quote(columns[i]);
    if (!orders) continue;
    if (const auto found = orders->find(columns[i]); found != orders->end())
      text += " " + std::string(rawText(found->second));
  }
  text += ")";
  if (where) text += " WHERE " + *where;
  return text;
}

std::optional<std::string> IndexDefinition::whereOf(const std::string& storedSQL) {
  static const std::regex pattern("\\sWHERE\\s+(.+)$");
  std::smatch match;
  if (!std::regex_search(storedSQL, match, pattern)) return std::nullopt;
  return match[1].str();
}

std::map<std::string, IndexDefinition::Order> IndexDefinition::ordersOf(const std::string& storedSQL) {
  static const std::regex pattern("\"?(\\w+)\"? DESC");
  std::map<std::string, Order> found;
  for (auto it = std::sregex_iterator(storedSQL.begin(), storedSQL.end(), pattern);
       it != std::sregex_iterator(); ++it)
    found[(*it)[1].str()] = Order::DESC;
  return found;
}

}  // namespace sql
