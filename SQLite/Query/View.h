#pragma once

#include <string>
#include <string_view>

#include "SQLite/Query/QueryType.h"
#include "SQLite/Query/SchemaCompiler.h"
#include "SQLite/Query/SchemaOptions.h"

namespace sql {

// A named view of a schema, queried like a table.
class View : public QueryType<View> {
 public:
  static constexpr std::string_view identifier = "VIEW";
  using QueryType<View>::QueryType;

  // CREATE [TEMPORARY] VIEW [IF NOT EXISTS] name AS <query>, values written in as literals.
  template <QueryValue Q>
  std::string create(const Q& query, const CreateOptions& options = {}) const {
    return schema::createFromQuery(identifier, clauses().from, query.expression(), options.temporary,
                                   options.ifNotExists);
  }

  std::string drop(bool ifExists = false) const {
    return schema::drop(identifier, tableName(false), ifExists);
  }
};

}  // namespace sql
