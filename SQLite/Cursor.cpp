#include "SQLite/Cursor.h"

#include "SQLite/FatalError.h"

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

std::optional<Binding> Cursor::operator[](int index) const {
  switch (const int type = sqlite3_column_type(handle_, index)) {
    case SQLITE_INTEGER:
      return Binding(readInt64(index));
    case SQLITE_FLOAT:
      return Binding(readDouble(index));
    case SQLITE_TEXT:
      return Binding(readText(index));
    case SQLITE_BLOB:
      return Binding(readBlob(index));
    case SQLITE_NULL:
      return std::nullopt;
    default:
      fatalError("unsupported column type: " + std::to_string(type));
  }
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

}  // namespace

void Cursor::readInto(int index, std::optional<Binding>& slot) const {
  const int type = sqlite3_column_type(handle_, index);
  if (type == SQLITE_INTEGER) {
    assignNumber(slot, readInt64(index));
  } else if (type == SQLITE_FLOAT) {
    assignNumber(slot, readDouble(index));
  } else if (type == SQLITE_TEXT && slot && std::holds_alternative<std::string>(*slot)) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(handle_, index));
    std::get<std::string>(*slot).assign(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(handle_, index)));
  } else if (type == SQLITE_BLOB && slot && std::holds_alternative<Blob>(*slot)) {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(handle_, index));
    auto& bytes = std::get<Blob>(*slot).bytes;
    if (data) bytes.assign(data, data + sqlite3_column_bytes(handle_, index));
    else bytes.clear();
  } else {
    slot = (*this)[index];
  }
}

void Cursor::readInto(Bindings& row) const {
  row.resize(static_cast<std::size_t>(columnCount_));
  for (int i = 0; i < columnCount_; ++i) readInto(i, row[static_cast<std::size_t>(i)]);
}

Bindings Cursor::values() const {
  Bindings row;
  row.reserve(static_cast<std::size_t>(columnCount_));
  for (int i = 0; i < columnCount_; ++i) row.push_back((*this)[i]);
  return row;
}

}  // namespace sql
