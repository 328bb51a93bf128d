#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "SQLite/Connection.h"
#include "SQLite/Query/CompiledStatement.h"
#include "SQLite/Query/QueryType.h"
#include "SQLite/Query/Row.h"
#include "SQLite/Query/RowIterator.h"
#include "SQLite/Query/RowSequence.h"
#include "SQLite/Query/ScalarQuery.h"
#include "SQLite/QueryError.h"

// Running the builder's queries and statements on a connection. Engine failures throw Result;
// failed column lookups throw QueryError. Steps run on the connection's queue (inside the
// statements); each run of an INSERT, UPDATE or DELETE runs whole on the queue together with
// the read of its row id or change count.
namespace sql {

// The map from column text to result position for a query's select list: each expression by
// its whole text, and each "*" (alone or behind a table qualifier) expanded to the quoted
// column names of its sources, found by preparing (never stepping) one statement per source.
// Throws QueryError::noSuchTable for a qualifier that names no source, and Result when a
// source cannot be prepared.
ColumnNames columnNamesForQuery(Connection& db, const QueryClauses& query);

namespace detail {
struct PreparedQuery {
  std::shared_ptr<Statement> statement;
  std::shared_ptr<const ColumnNames> columnNames;
};
PreparedQuery prepareQuery(Connection& db, const QueryClauses& query);
std::optional<Row> pluckQuery(Connection& db, const QueryClauses& query);
std::optional<Binding> scalarOf(Connection& db, const Expression<void>& compiled);

// A scalar result as T (std::optional<V> or V): NULL is absent, or throws unexpected null for
// a required V; a value of another storage type throws ColumnTypeError.
template <class T>
T scalarValue(const std::optional<Binding>& stored, const std::string& columnText) {
  using V = Unwrapped<T>;
  if (!stored) {
    if constexpr (IsOptional<T>) {
      return std::nullopt;
    } else {
      throw QueryError::unexpectedNullValue(columnText);
    }
  }
  if (auto converted = valueFromBinding<V>(*stored)) return std::move(*converted);
  throw ColumnTypeError(columnText,
                        ColumnTypeError::storageName(Binding(typename ValueTraits<V>::Datatype{})), *stored);
}
}  // namespace detail

// Compiles, prepares and binds the query; its rows are read by iterating the result. Throws
// Result (preparing) or QueryError / Result (building the column-name map).
template <QueryValue Q>
RowSequence prepare(Connection& db, const Q& query) {
  auto prepared = detail::prepareQuery(db, query.clauses());
  return RowSequence(std::move(prepared.statement), std::move(prepared.columnNames));
}

template <QueryValue Q>
RowIterator prepareRowIterator(Connection& db, const Q& query) {
  auto prepared = detail::prepareQuery(db, query.clauses());
  return RowIterator(std::move(prepared.statement), std::move(prepared.columnNames));
}

// SQL text with its bindings; the rows' columns are the statement's own quoted column names.
RowIterator prepareRowIterator(Connection& db, const std::string& sql, const Bindings& bindings = {});

// The first row of the query run with LIMIT 1 (keeping the query's offset), or absent.
template <QueryValue Q>
std::optional<Row> pluck(Connection& db, const Q& query) {
  return detail::pluckQuery(db, query.clauses());
}

// The single value of a scalar query (V, or absent for std::optional<V>).
template <class T>
T scalar(Connection& db, const ScalarQuery<T>& query) {
  return detail::scalarValue<T>(detail::scalarOf(db, query.expression()),
                                query.clauses().select.columns.front().template_());
}

template <class T>
T scalar(Connection& db, const Select<T>& select) {
  return detail::scalarValue<T>(detail::scalarOf(db, select.expression()), select.template_());
}

// Runs the statement; answers the new row's id.
std::int64_t run(Connection& db, const Insert& insert);
// Runs the statement; answer the number of rows changed.
std::int64_t run(Connection& db, const Update& update);
std::int64_t run(Connection& db, const Delete& del);

}  // namespace sql
