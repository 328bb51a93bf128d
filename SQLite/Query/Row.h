#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "SQLite/Binding.h"
#include "SQLite/Query/ColumnTypeError.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/QueryError.h"

namespace sql {

// Column text (the SQL of a selected expression, or a quoted name "*" expanded to) to its
// 0-based result position. Built once per prepared query and shared by all its rows.
using ColumnNames = std::unordered_map<std::string, int>;

// One result row of a typed query with the column-name map of its query. A column is read
// with the expression that selected it: found by its exact text, else by the one key ending
// in "." followed by it. A plain value: its reads never change it.
class Row {
 public:
  Row(std::shared_ptr<const ColumnNames> columnNames, Bindings values)
      : columnNames_(std::move(columnNames)), values_(std::move(values)) {}

  // The value of a column that may be NULL; absent for NULL. Throws QueryError (no such or
  // ambiguous column) and ColumnTypeError (a value stored under another storage type).
  template <Value V>
  std::optional<V> get(const Expression<std::optional<V>>& column) const {
    const auto& stored = values_.at(static_cast<std::size_t>(position(column.template_())));
    if (!stored) return std::nullopt;
    return convert<V>(column.template_(), *stored);
  }

  // The value of a required column; NULL throws QueryError::unexpectedNullValue.
  template <Value V>
  V get(const Expression<V>& column) const {
    const auto& stored = values_.at(static_cast<std::size_t>(position(column.template_())));
    if (!stored) throw QueryError::unexpectedNullValue(column.template_());
    return convert<V>(column.template_(), *stored);
  }

  // The same reads in subscript form; they throw like get.
  template <class T>
  auto operator[](const Expression<T>& column) const {
    return get(column);
  }

  // The position of a column text in this row (exact key, else the one qualified key ending in
  // "." + text). Throws QueryError::noSuchColumn or QueryError::ambiguousColumn.
  int position(const std::string& columnText) const {
    if (columnNames_->size() <= kDirectComparisonLimit) {
      for (const auto& [key, index] : *columnNames_) {
        if (sameText(key, columnText)) return index;
      }
    }
    return lookUp(columnText);
  }

  const ColumnNames& columnNames() const { return *columnNames_; }
  const Bindings& values() const { return values_; }

 private:
  // A select list is mostly a handful of columns, read once per row each: comparing the few
  // keys directly is then cheaper than hashing the text on every read.
  static constexpr std::size_t kDirectComparisonLimit = 8;

  // Equality of a key and a column text, word by word: column texts are short (qualified ones
  // run to 20 or 30 bytes), and a library call on every read cost more than the comparison.
  // The last word of a text of 8 bytes or more overlaps the one before it.
  static bool sameText(const std::string& key, const std::string& text) noexcept {
    const std::size_t size = key.size();
    if (size != text.size()) return false;
    if (size >= 8) {
      for (std::size_t offset = 0; offset + 8 < size; offset += 8) {
        if (word<std::uint64_t>(key, offset) != word<std::uint64_t>(text, offset)) return false;
      }
      return word<std::uint64_t>(key, size - 8) == word<std::uint64_t>(text, size - 8);
    }
    if (size >= 4) {
      return word<std::uint32_t>(key, 0) == word<std::uint32_t>(text, 0) &&
             word<std::uint32_t>(key, size - 4) == word<std::uint32_t>(text, size - 4);
    }
    for (std::size_t i = 0; i < size; ++i) {
      if (key[i] != text[i]) return false;
    }
    return true;
  }
  template <class Word>
  static Word word(const std::string& text, std::size_t offset) noexcept {
    Word value;
    std::memcpy(&value, text.data() + offset, sizeof value);
    return value;
  }

  // The position by hashed lookup, else by qualified suffix; throws when there is none or more
  // than one.
  int lookUp(const std::string& columnText) const;

  // The iterator that yielded this row refills its values in place between two of its steps,
  // reusing their text and blob storage.
  friend class RowIterator;

  template <Value V>
  static V convert(const std::string& columnText, const Binding& stored) {
    const auto* held = std::get_if<typename ValueTraits<V>::Datatype>(&stored);
    if (held == nullptr) throw ColumnTypeError(columnText, expectedStorage<V>(), stored);
    return ValueTraits<V>::fromDatatypeValue(*held);
  }

  template <Value V>
  static std::string expectedStorage() {
    return ColumnTypeError::storageName(Binding(typename ValueTraits<V>::Datatype{}));
  }

  std::shared_ptr<const ColumnNames> columnNames_;
  Bindings values_;
};

}  // namespace sql
