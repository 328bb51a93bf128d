#include "SQLite/Statement.h"

#include "SQLite/Connection.h"
#include "SQLite/FatalError.h"
#include "SQLite/Quote.h"
#include "SQLite/Result.h"

#include <sqlite3.h>

#include <climits>

namespace sql {
namespace {

int checkedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX))
    fatalError("value of " + std::to_string(length) + " bytes is too long to bind");
  return static_cast<int>(length);
}

}  // namespace

Statement::Statement(std::shared_ptr<Connection> connection, const std::string& sql)
    : connection_(std::move(connection)) {
  const int code = sqlite3_prepare_v2(connection_->handle(), sql.c_str(), -1, &handle_, nullptr);
  if (auto failure = Result::make(code, *connection_)) {
    sqlite3_finalize(handle_);
    handle_ = nullptr;
    throw std::move(*failure);
  }
}

Statement::~Statement() { sqlite3_finalize(handle_); }

// A statement that has not stepped since it was prepared or last reset is at its start already;
// resetting it again would only cost an engine call on the path of every single-use statement.
void Statement::reset() noexcept {
  if (!stepped_) return;
  sqlite3_reset(handle_);
  stepped_ = false;
}

// Every parameter is bound again right after, so clearing the earlier values first would be
// wasted work on the hot path of repeated inserts.
void Statement::beginBinding(std::size_t count) {
  reset();
  const int expected = sqlite3_bind_parameter_count(handle_);
  if (static_cast<std::size_t>(expected) != count)
    fatalError(std::to_string(expected) + " values expected, " + std::to_string(count) + " passed");
}

Statement& Statement::bind(const Bindings& values) {
  if (values.empty()) return *this;
  beginBinding(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) bindOne(static_cast<int>(i) + 1, values[i]);
  return *this;
}

Statement& Statement::bind(const NamedBindings& values) {
  reset();
  sqlite3_clear_bindings(handle_);
  for (const auto& [name, value] : values.values) {
    const int index = sqlite3_bind_parameter_index(handle_, name.c_str());
    if (index < 1) fatalError("parameter not found: " + name);
    bindOne(index, value);
  }
  return *this;
}

void Statement::bindOne(int index, const std::optional<Binding>& value) {
  if (!value) return bindNull(index);
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, Blob>)
          bindBlob(index, v);
        else if constexpr (std::is_same_v<T, double>)
          bindDouble(index, v);
        else if constexpr (std::is_same_v<T, std::int64_t>)
          bindInt64(index, v);
        else
          bindText(index, v);
      },
      *value);
}

void Statement::bindNull(int index) { sqlite3_bind_null(handle_, index); }

void Statement::bindInt64(int index, std::int64_t value) { sqlite3_bind_int64(handle_, index, value); }

void Statement::bindDouble(int index, double value) { sqlite3_bind_double(handle_, index, value); }

// Text is bound with its byte length, so text holding NUL characters is stored whole.
void Statement::bindText(int index, std::string_view value) {
  sqlite3_bind_text(handle_, index, value.data(), checkedLength(value.size()), SQLITE_TRANSIENT);
}

// An empty blob is bound as a zero-length blob: a null data pointer would bind NULL.
void Statement::bindBlob(int index, const Blob& value) {
  if (value.bytes.empty())
    sqlite3_bind_zeroblob(handle_, index, 0);
  else
    sqlite3_bind_blob(handle_, index, value.bytes.data(), checkedLength(value.bytes.size()),
                      SQLITE_TRANSIENT);
}

// A text holding only blanks or comments prepares to no statement at all, which has no rows.
bool Statement::step() {
  if (!handle_) return false;
  return connection_->sync([this] { return stepOnQueue(); });
}

bool Statement::stepInto(Bindings& row) {
  if (!handle_) return false;
  return connection_->sync([&] {
    if (!stepOnQueue()) return false;
    this->row().readIntoUnderLock(row);
    return true;
  });
}

bool Statement::stepOnQueue() {
  stepped_ = true;
  const int code = sqlite3_step(handle_);
  Result::check(code, *connection_);
  return code == SQLITE_ROW;
}

Statement& Statement::stepToCompletion() {
  while (step()) {
  }
  return *this;
}

std::optional<Binding> Statement::firstColumnOfFirstRow() {
  step();
  if (columnCount() == 0) return std::nullopt;
  return row()[0];
}

// Binding resets the statement already; running without values resets it and keeps them.
Statement& Statement::run(const Bindings& values) {
  if (values.empty())
    reset();
  else
    bind(values);
  return stepToCompletion();
}

Statement& Statement::run(const NamedBindings& values) { return bind(values).stepToCompletion(); }

std::optional<Binding> Statement::scalar(const Bindings& values) {
  if (values.empty())
    reset();
  else
    bind(values);
  return firstColumnOfFirstRow();
}

std::optional<Binding> Statement::scalar(const NamedBindings& values) {
  return bind(values).firstColumnOfFirstRow();
}

std::optional<Bindings> Statement::failableNext() {
  Bindings row;
  if (!stepInto(row)) return std::nullopt;
  return row;
}

std::vector<Bindings> Statement::allRows() {
  std::vector<Bindings> rows;
  for (const auto& each : *this) rows.push_back(each);
  return rows;
}

Bindings Statement::collectRows() const { return row().values(); }

Statement::Iterator Statement::begin() {
  reset();
  return Iterator(this);
}

int Statement::columnCount() const {
  if (!columnCount_) columnCount_ = sqlite3_column_count(handle_);
  return *columnCount_;
}

const std::vector<std::string>& Statement::columnNames() const {
  if (!columnNames_) {
    std::vector<std::string> names;
    for (int i = 0; i < columnCount(); ++i) names.emplace_back(sqlite3_column_name(handle_, i));
    columnNames_ = std::move(names);
  }
  return *columnNames_;
}

const Cursor& Statement::row() const {
  if (!row_) row_.emplace(handle_, columnCount());
  return *row_;
}

const std::unordered_map<std::string, int>& Statement::columnNameMap() const {
  if (!columnNameMap_) {
    std::unordered_map<std::string, int> map;
    const auto& names = columnNames();
    for (std::size_t i = 0; i < names.size(); ++i) map[quote(names[i])] = static_cast<int>(i);
    columnNameMap_ = std::move(map);
  }
  return *columnNameMap_;
}

std::string Statement::description() const {
  const char* text = sqlite3_sql(handle_);
  return text ? text : "";
}

}  // namespace sql
