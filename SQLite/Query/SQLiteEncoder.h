#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Record.h"
#include "SQLite/Query/RecordCodingError.h"
#include "SQLite/Query/Setter.h"
#include "SQLite/Value.h"

namespace sql {

// Turns the fields of a record into setters, one per written field, in the order the record
// visits them. The column of each field is its name quoted as an identifier. One encoder per
// record; used on the caller's thread.
class SQLiteEncoder {
 public:
  // With `forcingNilValueSetters`, an absent optional field still gives a setter binding NULL
  // (except for Int64 and the unsupported integers, which never do).
  explicit SQLiteEncoder(const UserInfo& userInfo, bool forcingNilValueSetters = false)
      : userInfo_(userInfo), forcingNilValueSetters_(forcingNilValueSetters) {}

  template <Record T>
  static std::vector<Setter> encode(const T& record, const UserInfo& userInfo,
                                    bool forcingNilValueSetters = false) {
    SQLiteEncoder encoder(userInfo, forcingNilValueSetters);
    T::codingFields(record, encoder);
    return std::move(encoder.setters_);
  }

  template <class Field>
  void operator()(std::string_view key, const Field& field) {
    if constexpr (IsOptional<Field>) {
      encodeIfPresent(key, field);
    } else {
      encodeValue(key, field);
    }
  }

  // A NULL setter, whatever forcingNilValueSetters says.
  void encodeNil(std::string_view key) { append(key, Expression<void>::placeholder(std::nullopt)); }

  const UserInfo& userInfo() const { return userInfo_; }
  const std::vector<Setter>& setters() const { return setters_; }

 private:
  template <class Field>
  void encodeIfPresent(std::string_view key, const Field& field) {
    using Wrapped = Unwrapped<Field>;
    if (field) {
      encodeValue(key, *field);
    } else if (forcingNilValueSetters_ && !std::is_same_v<Wrapped, Int64> && !UnsupportedInteger<Wrapped>) {
      encodeNil(key);
    }
  }

  template <class Field>
  void encodeValue(std::string_view key, const Field& field) {
    if constexpr (UnsupportedInteger<Field>) {
      throw RecordCodingError(
          RecordCodingError::Kind::invalidValue,
          "encoding an " + std::string(unsupportedIntegerName<Field>) + " is not supported");
    } else if constexpr (WidenedInteger<Field>) {
      bind(key, storedInteger(field));
    } else if constexpr (std::is_same_v<Field, float>) {
      bind(key, static_cast<double>(field));
    } else if constexpr (Value<Field>) {
      bind(key, field);  // the stored types, Bool, Int, Data, Date, UUID, URL
    } else {
      bind(key, nlohmann::json(field).dump());  // nested values as JSON text
    }
  }

  template <class Integer>
  static Int64 storedInteger(Integer value) {
    if constexpr (std::is_unsigned_v<Integer> && sizeof(Integer) >= sizeof(Int64)) {
      if (value > static_cast<Integer>(std::numeric_limits<Int64>::max())) {
        throw RecordCodingError(RecordCodingError::Kind::invalidValue,
                                "encoding " + std::to_string(value) +
                                    " is not supported: an integer column holds at most " +
                                    std::to_string(std::numeric_limits<Int64>::max()));
      }
    }
    return static_cast<Int64>(value);
  }

  template <Value V>
  void bind(std::string_view key, const V& value) {
    append(key, Expression<V>::value(value).expression());
  }

  void append(std::string_view key, Expression<void> value) {
    setters_.emplace_back(Expression<void>(quote(key, '"'), {}), std::move(value));
  }

  const UserInfo& userInfo_;
  bool forcingNilValueSetters_;
  std::vector<Setter> setters_;
};

}  // namespace sql
