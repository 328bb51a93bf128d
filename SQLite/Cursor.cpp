#include "SQLite/Cursor.h"

#include "SQLite/ConnectionMutexLock.h"
#include "SQLite/FatalError.h"

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
  const std::string_view view = text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)))
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
bool readGroup(sqlite3_stmt* handle, const std::vector<int>& columns, Bindings& row) {
  bool changed = false;
  for (const int index : columns) changed |= readExpected<Type>(handle, index, row[static_cast<std::size_t>(index)]);
  return changed;
}

}  // namespace

std::optional<Binding> Cursor::operator[](int index) const {
  std::optional<Binding> value;
  ConnectionMutexLock lock(sqlite3_db_handle(handle_));
  assignValue(value, sqlite3_column_value(handle_, index));
  return value;
}

void Cursor::readInto(Bindings& row) const {
  ConnectionMutexLock lock(sqlite3_db_handle(handle_));
  readIntoUnderLock(row);
}

void Cursor::readIntoUnderLock(Bindings& row) const {
  row.resize(static_cast<std::size_t>(columnCount_));
  bool changed = !groups_.made;
  if (changed) {
    for (int i = 0; i < columnCount_; ++i) assignValue(row[static_cast<std::size_t>(i)], sqlite3_column_value(handle_, i));
  } else {
    changed |= readGroup<SQLITE_INTEGER>(handle_, groups_.integers, row);
    changed |= readGroup<SQLITE_FLOAT>(handle_, groups_.floats, row);
    changed |= readGroup<SQLITE_TEXT>(handle_, groups_.texts, row);
    for (const int index : groups_.others) {
      assignValue(row[static_cast<std::size_t>(index)], sqlite3_column_value(handle_, index));
    }
  }
  if (changed) regroup(row);
}

void Cursor::regroup(const Bindings& row) const {
  groups_ = ColumnGroups{};
  for (int i = 0; i < columnCount_; ++i) {
    const auto& slot = row[static_cast<std::size_t>(i)];
    if (!slot) {
      groups_.others.push_back(i);
    } else if (std::holds_alternative<std::int64_t>(*slot)) {
      groups_.integers.push_back(i);
    } else if (std::holds_alternative<double>(*slot)) {
      groups_.floats.push_back(i);
    } else if (std::holds_alternative<std::string>(*slot)) {
      groups_.texts.push_back(i);
    } else {
      groups_.others.push_back(i);
    }
  }
  groups_.made = true;
}

Bindings Cursor::values() const {
  Bindings row;
  readInto(row);
  return row;
}

}  // namespace sql
