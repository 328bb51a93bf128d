#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SQLite/Query/QueryType.h"
#include "SQLite/Query/SchemaCompiler.h"
#include "SQLite/Query/SchemaOptions.h"
#include "SQLite/Query/TableBuilder.h"

namespace sql {

// A named table of a schema, the base of queries and statements over it. The schema
// statements only return SQL text; the caller runs it.
class Table : public QueryType<Table> {
 public:
  static constexpr std::string_view identifier = "TABLE";
  using QueryType<Table>::QueryType;

  // CREATE [TEMPORARY] TABLE [IF NOT EXISTS] name (definitions) [WITHOUT ROWID], with the
  // definitions the block adds, every value written in as a literal.
  std::string create(const TableCreateOptions& options,
                     const std::function<void(TableBuilder&)>& block) const {
    TableBuilder builder;
    block(builder);
    return schema::createTable(clauses().from, options.temporary, options.ifNotExists, options.withoutRowid,
                               builder);
  }

  // CREATE [TEMPORARY] TABLE [IF NOT EXISTS] name AS <query>.
  template <QueryValue Q>
  std::string create(const Q& query, const CreateOptions& options = {}) const {
    return schema::createFromQuery(identifier, clauses().from, query.expression(), options.temporary,
                                   options.ifNotExists);
  }

  std::string drop(bool ifExists = false) const {
    return schema::drop(identifier, tableName(false), ifExists);
  }

  // ALTER TABLE name ADD COLUMN definition.
  template <Value V>
  std::string addColumn(const Expression<V>& column, const ColumnOptions<V>& options = {}) const {
    return schema::addColumn(clauses().from, detail::render(detail::definitionOf(
                                                 column.expression(), declaredTypeOf<V>(), false, options)));
  }
  template <Value V>
  std::string addColumn(const Expression<std::optional<V>>& column,
                        const OptionalColumnOptions<V>& options = {}) const {
    return schema::addColumn(clauses().from, detail::render(detail::definitionOf(
                                                 column.expression(), declaredTypeOf<V>(), true, options)));
  }

  std::string rename(const Table& renamed) const {
    return schema::rename(clauses().from, renamed.clauses().from);
  }

  std::string createIndex(const std::vector<Expression<void>>& columns,
                          const IndexCreateOptions& options = {}) const {
    return schema::createIndex(clauses().from, columns, options.unique, options.ifNotExists);
  }
  std::string dropIndex(const std::vector<Expression<void>>& columns, bool ifExists = false) const {
    return schema::dropIndex(clauses().from, columns, ifExists);
  }
};

}  // namespace sql
