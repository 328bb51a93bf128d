#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "SQLite/Query/Row.h"
#include "SQLite/Query/RowIterator.h"
#include "SQLite/Statement.h"

namespace sql {

// The rows of a prepared query, for range-for. Every iterator drawn from it steps one shared
// RowIterator, so a second iteration continues where the first stopped (and an exhausted
// sequence stays exhausted). Nothing is stepped before the first iterator is drawn. A failed
// step throws Result from the iterator (from begin() or ++): it never looks like the end of
// the rows.
class RowSequence {
 public:
  RowSequence(std::shared_ptr<Statement> statement, std::shared_ptr<const ColumnNames> columnNames)
      : rows_(std::make_shared<RowIterator>(std::move(statement), std::move(columnNames))) {}

  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Row;
    using difference_type = std::ptrdiff_t;

    explicit Iterator(std::shared_ptr<RowIterator> rows) : rows_(std::move(rows)) { ++*this; }

    const Row& operator*() const { return *current_; }
    const Row* operator->() const { return &*current_; }
    // Refills the one current row in place, so that its storage is reused from row to row.
    Iterator& operator++() {
      rows_->failableAdvance(current_);
      return *this;
    }
    bool operator==(std::default_sentinel_t) const noexcept { return !current_; }

   private:
    std::shared_ptr<RowIterator> rows_;
    std::optional<Row> current_;
  };

  Iterator begin() const { return Iterator(rows_); }
  std::default_sentinel_t end() const noexcept { return {}; }

  const std::shared_ptr<const ColumnNames>& columnNames() const { return rows_->columnNames(); }

 private:
  std::shared_ptr<RowIterator> rows_;
};

}  // namespace sql
