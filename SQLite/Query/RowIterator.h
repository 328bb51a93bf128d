#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "SQLite/Query/Row.h"
#include "SQLite/Statement.h"

namespace sql {

// Steps a prepared query and yields its rows with the query's column-name map. Owns a share of
// the statement. Once the rows have ended (or a step has failed) it stays at the end: the
// statement is not stepped again, so it never starts over. Not for use from two threads at once.
class RowIterator {
 public:
  RowIterator(std::shared_ptr<Statement> statement, std::shared_ptr<const ColumnNames> columnNames)
      : statement_(std::move(statement)), columnNames_(std::move(columnNames)) {}

  // The next row, or absent at the end. A failed step throws Result (once; then the rows end).
  std::optional<Row> failableNext() {
    std::optional<Row> row;
    failableAdvance(row);
    return row;
  }

  // As failableNext, into `row`: a row this iterator yielded before is refilled in place (its
  // text and blob storage reused), an empty one receives a new row, and `row` is emptied at the
  // end or when the step throws.
  void failableAdvance(std::optional<Row>& row) {
    try {
      if (row && row->columnNames_ == columnNames_) {
        if (stepsInto(row->values_)) return;
      } else if (Bindings values; stepsInto(values)) {
        row.emplace(columnNames_, std::move(values));
        return;
      }
    } catch (...) {
      row.reset();
      throw;
    }
    row.reset();
  }

  // As failableNext, without throwing: a failed step ends the rows and is kept in failure(),
  // so callers can tell a failure from the end. Once failed, next() stays at the end.
  std::optional<Row> next() {
    if (failure_) return std::nullopt;
    try {
      return failableNext();
    } catch (...) {
      failure_ = std::current_exception();
      return std::nullopt;
    }
  }

  // The error that ended next(), or null.
  std::exception_ptr failure() const { return failure_; }

  // Every remaining row through `transform`, in order. The first error of a step or of the
  // transform ends the walk and is thrown.
  template <class Transform>
  auto map(Transform&& transform) -> std::vector<std::invoke_result_t<Transform&, const Row&>> {
    std::vector<std::invoke_result_t<Transform&, const Row&>> results;
    std::optional<Row> row;
    for (failableAdvance(row); row; failableAdvance(row)) results.push_back(transform(*row));
    return results;
  }

  // As map, leaving out the rows whose transform gives absent.
  template <class Transform>
  auto mapPresent(Transform&& transform)
      -> std::vector<typename std::invoke_result_t<Transform&, const Row&>::value_type> {
    std::vector<typename std::invoke_result_t<Transform&, const Row&>::value_type> results;
    std::optional<Row> row;
    for (failableAdvance(row); row; failableAdvance(row)) {
      if (auto value = transform(*row)) results.push_back(std::move(*value));
    }
    return results;
  }

  const std::shared_ptr<Statement>& statement() const { return statement_; }
  const std::shared_ptr<const ColumnNames>& columnNames() const { return columnNames_; }

 private:
  // One step into `values` unless ended; false at the end. A failed step throws and ends the
  // rows too.
  bool stepsInto(Bindings& values) {
    if (finished_) return false;
    finished_ = true;
    if (!statement_->stepInto(values)) return false;
    finished_ = false;
    return true;
  }

  std::shared_ptr<Statement> statement_;
  std::shared_ptr<const ColumnNames> columnNames_;
  std::exception_ptr failure_;
  bool finished_ = false;
};

}  // namespace sql
