#include "SQLite/Cursor.h"

#include "SQLite/EngineMutexLock.h"
#include "SQLite/FatalError.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace sql {

// The byte count is read after the text, so that it counts the UTF-8 form; text holding NUL
// characters is copied whole.
std::string Cursor::readText(int index) const {
  const auto* text = sqlite3_column_text(handle_, index);
  if (!text) return {};
  const auto length = static_cast<std::size_t>(sqlite3_column_bytes(handle_, index));
  return std::string(reinterpret_cast<const char*>(text), length);
}

Blob Cursor::readBlob(int index) const {
  const void* data = sqlite3_column_blob(handle_, index);
  if (!data) return Blob();
  return Blob(data, static_cast<std::size_t>(sqlite3_column_bytes(handle_, index)));
}

namespace {

// Overwrites a slot already holding a number of the same type in place, else replaces it.
template <class Number>
void assignNumber(std::optional<Binding>& slot, Number value) {
  if (auto* held = slot ? std::get_if<Number>(&*slot) : nullptr) {
    *held = value;
  } else {
    slot.emplace(std::in_place_type<Number>, value);
  }
}

void assignText(std::optional<Binding>& slot, sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  const std::string_view view =
      text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)))
           : std::string_view();
  if (auto* held = slot ? std::get_if<std::string>(&*slot) : nullptr) {
    held->assign(view);
  } else {
    slot.emplace(std::in_place_type<std::string>, view);
  }
}

void assignBlob(std::optional<Binding>& slot, sqlite3_value* value) {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_value_blob(value));
  const auto length = data ? static_cast<std::size_t>(sqlite3_value_bytes(value)) : 0;
  if (auto* held = slot ? std::get_if<Blob>(&*slot) : nullptr) {
    held->bytes.assign(data, data + length);
  } else {
    slot.emplace(std::in_place_type<Blob>, std::vector<std::uint8_t>(data, data + length));
  }
}

// One column value into `slot` in its stored type (absent for NULL). The text and the blob
// are read before their byte count, so that it counts the UTF-8 form; text holding NUL
// characters is copied whole. The caller holds the connection's mutex, which keeps the value
// valid and protected.
void assignValue(std::optional<Binding>& slot, sqlite3_value* value) {
  switch (const int type = sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return assignNumber(slot, static_cast<std::int64_t>(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
      return assignNumber(slot, sqlite3_value_double(value));
    case SQLITE_TEXT:
      return assignText(slot, value);
    case SQLITE_BLOB:
      return assignBlob(slot, value);
    case SQLITE_NULL:
      return slot.reset();
    default:
      fatalError("unsupported column type: " + std::to_string(type));
  }
}

// A column expected to hold a value of storage type `Type`: read straight into its slot when
// it does, as it is otherwise. True when the type was not the one expected.
template <int Type>
bool readExpected(sqlite3_stmt* handle, int index, std::optional<Binding>& slot) {
  sqlite3_value* value = sqlite3_column_value(handle, index);
  if (sqlite3_value_type(value) != Type) {
    assignValue(slot, value);
    return true;
  }
  if constexpr (Type == SQLITE_INTEGER) {
    assignNumber(slot, static_cast<std::int64_t>(sqlite3_value_int64(value)));
  } else if constexpr (Type == SQLITE_FLOAT) {
    assignNumber(slot, sqlite3_value_double(value));
  } else {
    static_assert(Type == SQLITE_TEXT);
    assignText(slot, value);
  }
  return false;
}

template <int Type>
bool readGroup(sqlite3_stmt* handle, std::span<const int> columns, Bindings& row) {
  bool changed = false;
  for (const int index : columns)
    changed |= readExpected<Type>(handle, index, row[static_cast<std::size_t>(index)]);
  return changed;
}

// The group of a value's storage type: 0 integer, 1 float, 2 text, 3 anything else.
int groupOf(const std::optional<Binding>& slot) {
  if (!slot) return 3;
  const auto index = slot->index();
  return index <= 2 ? static_cast<int>(index) : 3;
}

}  // namespace

std::optional<Binding> Cursor::operator[](int index) const {
  std::optional<Binding> value;
  EngineMutexLock lock(sqlite3_db_mutex(sqlite3_db_handle(handle_)));
  assignValue(value, sqlite3_column_value(handle_, index));
  return value;
}

void Cursor::readInto(Bindings& row) const {
  EngineMutexLock lock(sqlite3_db_mutex(sqlite3_db_handle(handle_)));
  readIntoUnderLock(row);
}

void Cursor::readIntoUnderLock(Bindings& row) const {
  row.resize(static_cast<std::size_t>(columnCount_));
  bool changed = !groups_.made;
  if (changed) {
    for (int i = 0; i < columnCount_; ++i) {
      assignValue(row[static_cast<std::size_t>(i)], sqlite3_column_value(handle_, i));
    }
  } else {
    const std::span<const int> columns(groups_.columns);
    const auto integers = columns.first(groups_.floatsBegin);
    const auto floats = columns.subspan(groups_.floatsBegin, groups_.textsBegin - groups_.floatsBegin);
    const auto texts = columns.subspan(groups_.textsBegin, groups_.othersBegin - groups_.textsBegin);
    changed |= readGroup<SQLITE_INTEGER>(handle_, integers, row);
    changed |= readGroup<SQLITE_FLOAT>(handle_, floats, row);
    changed |= readGroup<SQLITE_TEXT>(handle_, texts, row);
    for (const int index : columns.subspan(groups_.othersBegin)) {
      assignValue(row[static_cast<std::size_t>(index)], sqlite3_column_value(handle_, index));
    }
  }
  if (changed) regroup(row);
}

void Cursor::regroup(const Bindings& row) const {
  std::array<std::size_t, 4> sizes{};
  for (const auto& slot : row) ++sizes[static_cast<std::size_t>(groupOf(slot))];
  groups_.floatsBegin = sizes[0];
  groups_.textsBegin = groups_.floatsBegin + sizes[1];
  groups_.othersBegin = groups_.textsBegin + sizes[2];
  std::array<std::size_t, 4> next{0, groups_.floatsBegin, groups_.textsBegin, groups_.othersBegin};
  groups_.columns.resize(row.size());
  for (std::size_t i = 0; i < row.size(); ++i) {
    groups_.columns[next[static_cast<std::size_t>(groupOf(row[i]))]++] = static_cast<int>(i);
  }
  groups_.made = true;
}

Bindings Cursor::values() const {
  Bindings row;
  readInto(row);
  return row;
}

}  // namespace sql
