#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

#include "SQLite/Query/ColumnTypeError.h"
#include "SQLite/Query/Record.h"
#include "SQLite/Query/RecordCodingError.h"
#include "SQLite/Query/Row.h"
#include "SQLite/QueryError.h"
#include "SQLite/UTF8.h"
#include "SQLite/Value.h"

namespace sql {

// Fills the fields of a record from a row: each field's column is its name quoted as an
// identifier, found like Row::get finds a column (exact name, else the one qualified name
// ending in "." and the quoted key). Holds the row by reference for the length of the call.
class SQLiteDecoder {
 public:
  SQLiteDecoder(const Row& row, const UserInfo& userInfo) : row_(row), userInfo_(userInfo) {}

  template <Record T>
  requires std::is_default_constructible_v<T>
  static T decode(const Row& row, const UserInfo& userInfo = {}) {
    SQLiteDecoder decoder(row, userInfo);
    T record{};
    T::codingFields(record, decoder);
    return record;
  }

  template <class Field>
  void operator()(std::string_view key, Field& field) {
    if constexpr (IsOptional<Field>) {
      field = decodeIfPresent<Unwrapped<Field>>(quote(key, '"'));
    } else {
      field = decodeRequired<Field>(quote(key, '"'));
    }
  }

  // True only when the exact quoted key is a column of the row and its value is not NULL.
  bool contains(std::string_view key) const { return containsColumn(quote(key, '"')); }
  bool decodeNil(std::string_view key) const { return !contains(key); }

  const UserInfo& userInfo() const { return userInfo_; }

 private:
  bool containsColumn(const std::string& column) const {
    const auto found = row_.columnNames().find(column);
    return found != row_.columnNames().end() &&
           row_.values().at(static_cast<std::size_t>(found->second)).has_value();
  }

  const std::optional<Binding>& stored(const std::string& column) const {
    return row_.values().at(static_cast<std::size_t>(row_.position(column)));
  }

  template <class Field>
  Field decodeRequired(const std::string& column) const {
    if constexpr (UnsupportedInteger<Field>) {
      throw unsupported<Field>();
    } else {
      const auto& value = stored(column);
      if (!value) {
        if constexpr (isColumnType<Field>) {
          throw QueryError::unexpectedNullValue(column);
        } else {
          throw RecordCodingError(RecordCodingError::Kind::typeMismatch, "an unsupported type was found");
        }
      }
      return convert<Field>(column, *value);
    }
  }

  template <class Field>
  std::optional<Field> decodeIfPresent(const std::string& column) const {
    if constexpr (UnsupportedInteger<Field>) {
      if (!containsColumn(column)) return std::nullopt;
      throw unsupported<Field>();
    } else if constexpr (isColumnType<Field>) {
      std::optional<Binding> value;
      try {
        value = stored(column);
      } catch (const QueryError&) {
        return std::nullopt;  // a missing or ambiguous column reads as absent here
      }
      if (!value) return std::nullopt;
      return convert<Field>(column, *value);
    } else {
      const auto& value = stored(column);
      if (!value) return std::nullopt;
      return convert<Field>(column, *value);
    }
  }

  // The types read from a column of their own; everything else is JSON text.
  template <class Field>
  static constexpr bool isColumnType = std::is_same_v<Field, float> || Value<Field> || WidenedInteger<Field>;

  template <class Field>
  static Field convert(const std::string& column, const Binding& value) {
    if constexpr (std::is_same_v<Field, float>) {
      return static_cast<float>(held<double>(column, value));
    } else if constexpr (WidenedInteger<Field>) {
      const Int64 stored = held<Int64>(column, value);
      if (!fits<Field>(stored)) {
        throw RecordCodingError(RecordCodingError::Kind::dataCorrupted,
                                "the integer " + std::to_string(stored) + " in column " + column +
                                    " is out of the field's range");
      }
      return static_cast<Field>(stored);
    } else if constexpr (Value<Field>) {
      const auto& storedValue = held<typename ValueTraits<Field>::Datatype>(column, value);
      try {
        return ValueTraits<Field>::fromDatatypeValue(storedValue);
      } catch (const std::invalid_argument& error) {
        throw RecordCodingError(RecordCodingError::Kind::dataCorrupted, error.what());
      }
    } else {
      const auto& text = held<std::string>(column, value);
      if (!isValidUTF8(text))
        throw RecordCodingError(RecordCodingError::Kind::dataCorrupted, "invalid utf8 data found");
      return nlohmann::json::parse(text).template get<Field>();
    }
  }

  template <class Integer>
  static bool fits(Int64 stored) {
    using Limits = std::numeric_limits<Integer>;
    if constexpr (std::is_signed_v<Integer>) {
      return stored >= static_cast<Int64>(Limits::min()) && stored <= static_cast<Int64>(Limits::max());
    } else {
      return stored >= 0 && static_cast<std::uint64_t>(stored) <= static_cast<std::uint64_t>(Limits::max());
    }
  }

  // The stored value as the storage type S; another storage type is a type error, not a NULL.
  template <class S>
  static const S& held(const std::string& column, const Binding& value) {
    const auto* typed = std::get_if<S>(&value);
    if (typed == nullptr) throw ColumnTypeError(column, ColumnTypeError::storageName(Binding(S{})), value);
    return *typed;
  }

  template <class Field>
  static RecordCodingError unsupported() {
    return RecordCodingError(
        RecordCodingError::Kind::typeMismatch,
        "decoding an " + std::string(unsupportedIntegerName<Field>) + " is not supported");
  }

  const Row& row_;
  const UserInfo& userInfo_;
};

// The record read from a row.
template <Record T>
T decode(const Row& row, const UserInfo& userInfo = {}) {
  return SQLiteDecoder::decode<T>(row, userInfo);
}

}  // namespace sql
