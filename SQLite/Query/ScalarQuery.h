#pragma once

#include "SQLite/Query/QueryType.h"

namespace sql {

// A query whose one selected column yields values of V (std::optional<V> when it may be NULL).
template <class V>
class ScalarQuery : public QueryType<ScalarQuery<V>> {
 public:
  using UnderlyingType = V;
  using QueryType<ScalarQuery<V>>::QueryType;
};

}  // namespace sql
