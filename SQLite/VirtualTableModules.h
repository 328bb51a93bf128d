#pragma once

#include "SQLite/FTS4Config.h"
#include "SQLite/FTS5Config.h"
#include "SQLite/Query/Module.h"

#include <optional>
#include <utility>
#include <vector>

namespace sql::modules {

// fts4(<config's arguments>)
inline Module fts4(const FTS4Config& config) { return Module::bare("fts4", config.moduleArguments()); }

// fts4(columns..., [tokenize=...])
template <Expressible... E>
Module fts4(const std::optional<Tokenizer>& tokenizer, const E&... columns) {
  FTS4Config config;
  config.columns(columns...).tokenizer(tokenizer);
  return fts4(config);
}

// fts5(<config's arguments>)
inline Module fts5(const FTS5Config& config) { return Module::bare("fts5", config.moduleArguments()); }

// rtree(key, min1, max1, min2, max2...): each dimension a (minimum, maximum) pair of columns
// of one type.
template <class K, class T>
Module rtree(const Expression<K>& key,
             const std::vector<std::pair<Expression<T>, Expression<T>>>& dimensions) {
  std::vector<Expression<void>> arguments{key.expression()};
  for (const auto& [minimum, maximum] : dimensions) {
    arguments.push_back(minimum.expression());
    arguments.push_back(maximum.expression());
  }
  return Module::bare("rtree", std::move(arguments));
}

}  // namespace sql::modules
