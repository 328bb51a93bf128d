#pragma once

#include "SQLite/Binding.h"
#include "SQLite/Blob.h"
#include "SQLite/DateFormatter.h"
#include "SQLite/FatalError.h"
#include "SQLite/Int.h"
#include "SQLite/URL.h"
#include "SQLite/UUID.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sql {

// A byte buffer of the application, stored as a BLOB.
using Data = std::vector<std::byte>;

// How an application type travels to and from the database. Each specialisation names
//   Datatype                      the BindingType the value is stored as,
//   declaredDatatype()            the SQL type word used in column definitions,
//   fromDatatypeValue(stored)     the value rebuilt from what was stored,
//   datatypeValue(value)          what is stored for a value.
// Add a specialisation to make a type of your own storable.
template <class T>
struct ValueTraits;

// A type with a complete ValueTraits specialisation.
template <class T>
concept Value = requires(const T& value, const typename ValueTraits<T>::Datatype& stored) {
  requires BindingType<typename ValueTraits<T>::Datatype>;
  { ValueTraits<T>::declaredDatatype() } -> std::convertible_to<std::string>;
  { ValueTraits<T>::fromDatatypeValue(stored) } -> std::same_as<T>;
  { ValueTraits<T>::datatypeValue(value) } -> std::same_as<typename ValueTraits<T>::Datatype>;
};

// The numeric value types.
template <class T>
concept Number = std::same_as<T, double> || std::same_as<T, std::int64_t> || std::same_as<T, Int>;

// The four stored types convert to themselves.
template <BindingType T>
struct IdentityTraits {
  using Datatype = T;
  static T fromDatatypeValue(const T& stored) { return stored; }
  static T datatypeValue(const T& value) { return value; }
};

template <>
struct ValueTraits<double> : IdentityTraits<double> {
  static std::string declaredDatatype() { return "REAL"; }
};

template <>
struct ValueTraits<std::int64_t> : IdentityTraits<std::int64_t> {
  static std::string declaredDatatype() { return "INTEGER"; }
};

template <>
struct ValueTraits<std::string> : IdentityTraits<std::string> {
  static std::string declaredDatatype() { return "TEXT"; }
};

template <>
struct ValueTraits<Blob> : IdentityTraits<Blob> {
  static std::string declaredDatatype() { return "BLOB"; }
};

// Bool and Int carry a process-wide, writable type word, "INTEGER" at start. Set it at
// start-up, before connections are used from several threads.
template <>
struct ValueTraits<bool> {
  using Datatype = std::int64_t;
  static std::string declaredDatatype();
  static void setDeclaredDatatype(std::string word);
  static bool fromDatatypeValue(std::int64_t stored) { return stored != 0; }
  static std::int64_t datatypeValue(bool value) { return value ? 1 : 0; }
};

template <>
struct ValueTraits<Int> {
  using Datatype = std::int64_t;
  static std::string declaredDatatype();
  static void setDeclaredDatatype(std::string word);
  static Int fromDatatypeValue(std::int64_t stored) { return Int{stored}; }
  static std::int64_t datatypeValue(Int value) { return value.value; }
};

template <>
struct ValueTraits<Data> {
  using Datatype = Blob;
  static std::string declaredDatatype() { return "BLOB"; }
  static Data fromDatatypeValue(const Blob& stored);
  static Blob datatypeValue(const Data& value) { return Blob(value.data(), value.size()); }
};

// Dates are stored as text through dateFormatter(). Reading text that does not parse throws
// std::invalid_argument; writing a date outside the years 0000 to 9999 throws std::out_of_range.
template <>
struct ValueTraits<Date> {
  using Datatype = std::string;
  static std::string declaredDatatype() { return "TEXT"; }
  static Date fromDatatypeValue(const std::string& stored);
  static std::string datatypeValue(Date value) { return dateFormatter()->string(value); }
};

// Reading text that is not a canonical UUID throws std::invalid_argument.
template <>
struct ValueTraits<UUID> {
  using Datatype = std::string;
  static std::string declaredDatatype() { return "TEXT"; }
  static UUID fromDatatypeValue(const std::string& stored);
  static std::string datatypeValue(const UUID& value) { return value.uuidString(); }
};

// Reading text that is not a URL throws std::invalid_argument.
template <>
struct ValueTraits<URL> {
  using Datatype = std::string;
  static std::string declaredDatatype() { return "TEXT"; }
  static URL fromDatatypeValue(const std::string& stored);
  static std::string datatypeValue(const URL& value) { return value.absoluteString; }
};

// The binding stored for a value.
template <Value T>
Binding toBinding(const T& value) {
  return Binding(ValueTraits<T>::datatypeValue(value));
}

// The binding stored for an optional value; absent stays absent (NULL).
template <Value T>
std::optional<Binding> toBinding(const std::optional<T>& value) {
  if (!value) return std::nullopt;
  return toBinding(*value);
}

// The value of type T held by a binding read where the type is already known to match (a
// typed column after its NULL test, a custom function's argument). A binding of another stored
// type is a caller error that stops the process.
template <Value T>
T value(const Binding& binding) {
  using Stored = typename ValueTraits<T>::Datatype;
  const auto* stored = std::get_if<Stored>(&binding);
  if (!stored)
    fatalError("unexpected stored type for a value of type " + ValueTraits<T>::declaredDatatype() + ": " +
               describe(binding));
  return ValueTraits<T>::fromDatatypeValue(*stored);
}

// As value(), for a binding that must be present: NULL stops the process.
template <Value T>
T valueOfArgument(const std::optional<Binding>& binding) {
  if (!binding) fatalError("unexpected NULL for a value of type " + ValueTraits<T>::declaredDatatype());
  return value<T>(*binding);
}

}  // namespace sql
