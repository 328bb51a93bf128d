#include "SQLite/Query/Row.h"

#include <algorithm>
#include <vector>

namespace sql {

namespace {

std::vector<std::string> sortedKeys(const ColumnNames& names) {
  std::vector<std::string> keys;
  keys.reserve(names.size());
  for (const auto& entry : names) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());
  return keys;
}

bool endsWithQualified(const std::string& key, const std::string& columnText) {
  return key.size() > columnText.size() &&
         key.compare(key.size() - columnText.size(), columnText.size(), columnText) == 0 &&
         key[key.size() - columnText.size() - 1] == '.';
}

}  // namespace

int Row::lookUp(const std::string& columnText) const {
  if (columnNames_->size() > kDirectComparisonLimit) {
    if (const auto exact = columnNames_->find(columnText); exact != columnNames_->end()) return exact->second;
  }

  std::vector<std::string> similar;
  int found = -1;
  for (const auto& [key, index] : *columnNames_) {
    if (!endsWithQualified(key, columnText)) continue;
    similar.push_back(key);
    found = index;
  }
  if (similar.empty()) throw QueryError::noSuchColumn(columnText, sortedKeys(*columnNames_));
  if (similar.size() > 1) {
    std::sort(similar.begin(), similar.end());
    throw QueryError::ambiguousColumn(columnText, std::move(similar));
  }
  return found;
}

}  // namespace sql
