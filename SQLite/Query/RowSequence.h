#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "SQLite/Query/Row.h"
#include "SQLite/Statement.h"

namespace sql {

// The rows of a prepared query, for range-for. Owns a share of the statement; every iterator
// drawn from it steps that one statement, so a second iteration continues where the first
// stopped. Nothing is stepped before the first iterator is drawn. A failed step throws Result
// from the iterator (from begin() or ++), never looks like the end of the rows.
class RowSequence {
 public:
  RowSequence(std::shared_ptr<Statement> statement, std::shared_ptr<const ColumnNames> columnNames)
      : statement_(std::move(statement)), columnNames_(std::move(columnNames)) {}

  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Row;
    using difference_type = std::ptrdiff_t;

    Iterator(std::shared_ptr<Statement> statement, std::shared_ptr<const ColumnNames> columnNames)
        : statement_(std::move(statement)), columnNames_(std::move(columnNames)) {
      ++*this;
    }

    const Row& operator*() const { return *current_; }
    const Row* operator->() const { return &*current_; }
    Iterator& operator++() {
      current_.reset();
      if (auto values = statement_->failableNext()) current_.emplace(columnNames_, std::move(*values));
      return *this;
    }
    bool operator==(std::default_sentinel_t) const noexcept { return !current_; }

   private:
    std::shared_ptr<Statement> statement_;
    std::shared_ptr<const ColumnNames> columnNames_;
    std::optional<Row> current_;
  };

  Iterator begin() const { return Iterator(statement_, columnNames_); }
  std::default_sentinel_t end() const noexcept { return {}; }

  const std::shared_ptr<const ColumnNames>& columnNames() const { return columnNames_; }

 private:
  std::shared_ptr<Statement> statement_;
  std::shared_ptr<const ColumnNames> columnNames_;
};

}  // namespace sql
