#pragma once

#include "SQLite/Binding.h"
#include "SQLite/Cursor.h"
#include "SQLite/Value.h"

#include <initializer_list>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;

namespace sql {

class Connection;

namespace detail {
template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;
}  // namespace detail

// Parameter values by name, each name written with its prefix (":id", "@id", "$id"). A type of
// its own, so that a braced list of values always means positional values.
struct NamedBindings {
  using Map = std::map<std::string, std::optional<Binding>>;
  Map values;

  NamedBindings(std::initializer_list<Map::value_type> list) : values(list) {}
  explicit NamedBindings(Map map) : values(std::move(map)) {}
};

// One prepared statement of a connection. It holds its connection, so the connection closes
// only after its last statement is gone. Steps run on the connection's serial queue;
// preparing, binding and reading columns run on the calling thread. Not for use from two
// threads at once. Engine failures throw Result; misuse (a wrong number of values, an
// unknown parameter name) stops the process.
class Statement {
 public:
  // Prepares the first statement of `sql`. Throws Result when the engine refuses it.
  Statement(std::shared_ptr<Connection> connection, const std::string& sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds values to the parameters in order. A non-empty list resets the statement and clears
  // earlier values first, and must hold exactly one value per parameter; an empty list binds
  // nothing and leaves the statement as it is.
  Statement& bind(const Bindings& values);
  // Resets, clears earlier values, then binds each value to its named parameter.
  Statement& bind(const NamedBindings& values);
  // Binds each argument to the parameters in order, without building a list: integers, bool,
  // doubles, text, Blob, any Value type, Binding, or an optional of these (absent is NULL).
  // The same rules as the list form: reset, clear, exactly one value per parameter.
  template <class... Values>
  requires(sizeof...(Values) > 0) Statement& bind(const Values&... values) {
    beginBinding(sizeof...(Values));
    int index = 0;
    (bindArgument(++index, values), ...);
    return *this;
  }

  // Runs to completion, discarding rows. With values, binds them first; without, resets and
  // keeps the values bound before.
  Statement& run(const Bindings& values = {});
  Statement& run(const NamedBindings& values);
  template <class... Values>
  requires(sizeof...(Values) > 0) Statement& run(const Values&... values) {
    return bind(values...).stepToCompletion();
  }

  // Column 0 of the first row; absent when there is no row or it is NULL.
  std::optional<Binding> scalar(const Bindings& values = {});
  std::optional<Binding> scalar(const NamedBindings& values);
  template <class... Values>
  requires(sizeof...(Values) > 0) std::optional<Binding> scalar(const Values&... values) {
    return bind(values...).firstColumnOfFirstRow();
  }

  // One step; true while a row is available.
  bool step();
  // One step that also reads the new row into `row`, reusing its text and blob storage; the
  // step and the read run under one hold of the connection, which is much cheaper than a step
  // and separate column reads. False, with `row` untouched, when the statement is done.
  bool stepInto(Bindings& row);
  // Steps and gives the new row, or absent when the statement is done.
  std::optional<Bindings> failableNext();
  // Resets, then collects every row.
  std::vector<Bindings> allRows();
  // The current row: every column in order.
  Bindings collectRows() const;

  int columnCount() const;
  const std::vector<std::string>& columnNames() const;
  // The current row, valid while the statement lives.
  const Cursor& row() const;
  // Each result column's name, quoted as an identifier, to its index (the last wins).
  const std::unordered_map<std::string, int>& columnNameMap() const;

  // The text the statement was prepared from.
  std::string description() const;
  sqlite3_stmt* handle() const noexcept { return handle_; }
  const std::shared_ptr<Connection>& connection() const noexcept { return connection_; }

  // Iterating resets the statement (keeping its values) and yields each row; a step failure
  // throws Result from the increment. An iterator is valid while its statement lives.
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Bindings;
    using difference_type = std::ptrdiff_t;

    explicit Iterator(Statement* statement) : statement_(statement) { ++*this; }
    const Bindings& operator*() const { return *current_; }
    const Bindings* operator->() const { return &*current_; }
    // Refills the one row in place, so that its text and blob buffers are reused.
    Iterator& operator++() {
      if (!current_) current_.emplace();
      if (!statement_->stepInto(*current_)) current_.reset();
      return *this;
    }
    bool operator==(std::default_sentinel_t) const noexcept { return !current_; }

   private:
    Statement* statement_;
    std::optional<Bindings> current_;
  };
  Iterator begin();
  std::default_sentinel_t end() const noexcept { return {}; }

 private:
  void reset() noexcept;
  // One engine step, run on the connection's queue; true while a row is available.
  bool stepOnQueue();
  // The statement is freshly reset: run it, or read its first row.
  Statement& stepToCompletion();
  std::optional<Binding> firstColumnOfFirstRow();
  // Resets, clears the values, and stops the process unless `count` values are expected.
  void beginBinding(std::size_t count);
  void bindOne(int index, const std::optional<Binding>& value);
  void bindNull(int index);
  void bindInt64(int index, std::int64_t value);
  void bindDouble(int index, double value);
  void bindText(int index, std::string_view value);
  void bindBlob(int index, const Blob& value);

  template <class T>
  void bindArgument(int index, const T& value) {
    if constexpr (std::is_same_v<T, std::nullopt_t>) {
      bindNull(index);
    } else if constexpr (detail::isOptional<T>) {
      if (value)
        bindArgument(index, *value);
      else
        bindNull(index);
    } else if constexpr (std::is_same_v<T, Binding>) {
      bindOne(index, value);
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      bindText(index, value);
    } else if constexpr (std::is_same_v<T, bool>) {
      bindInt64(index, value ? 1 : 0);
    } else if constexpr (std::is_integral_v<T>) {
      static_assert(std::is_signed_v<T> || sizeof(T) < sizeof(std::int64_t),
                    "unsigned 64-bit integers do not fit the engine's integers; convert explicitly");
      bindInt64(index, static_cast<std::int64_t>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
      bindDouble(index, static_cast<double>(value));
    } else if constexpr (std::is_same_v<T, Blob>) {
      bindBlob(index, value);
    } else {
      static_assert(Value<T>, "not a value the engine can store");
      bindArgument(index, ValueTraits<T>::datatypeValue(value));
    }
  }

  sqlite3_stmt* handle_ = nullptr;
  std::shared_ptr<Connection> connection_;
  bool stepped_ = false;
  mutable std::optional<int> columnCount_;
  mutable std::optional<std::vector<std::string>> columnNames_;
  mutable std::optional<Cursor> row_;
  mutable std::optional<std::unordered_map<std::string, int>> columnNameMap_;
};

}  // namespace sql
