#pragma once

#include <any>
#include <concepts>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>

namespace sql {

// Values handed by the caller to a record while it is encoded or decoded.
using UserInfo = std::map<std::string, std::any>;

// A record declares its fields once, for writing (Self = const T) and reading (Self = T):
//
//   struct Prompt {
//     std::optional<Int64> id;
//     std::string prompt;
//     template <class Self, class Visitor>
//     static void codingFields(Self& self, Visitor& visit) {
//       visit("id", self.id);
//       visit("prompt", self.prompt);
//     }
//   };
//
// Fields of the stored types are columns of their own; any other field (a nested record, a
// list) is stored as JSON text through nlohmann-json's to_json / from_json.
namespace detail {
struct FieldProbe {
  template <class Field>
  void operator()(std::string_view, Field&) {}
  const UserInfo& userInfo() const;
};
}  // namespace detail

template <class T>
concept Record = requires(T& record, const T& constant, detail::FieldProbe& probe) {
  T::codingFields(record, probe);
  T::codingFields(constant, probe);
};

// The narrow integer types a row cannot hold, with the names the coding errors use.
template <class T>
inline constexpr std::string_view unsupportedIntegerName = "";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::int8_t> = "Int8";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::int16_t> = "Int16";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::int32_t> = "Int32";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::uint8_t> = "UInt8";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::uint16_t> = "UInt16";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::uint32_t> = "UInt32";
template <>
inline constexpr std::string_view unsupportedIntegerName<std::uint64_t> = "UInt64";

template <class T>
concept UnsupportedInteger = !unsupportedIntegerName<std::remove_cv_t<T>>.empty();

// The other integer types (long long, unsigned long long, the character types): stored in an
// INTEGER column through Int64, refused when the value does not fit it.
template <class T>
concept WidenedInteger = std::is_integral_v<T> && !std::is_same_v<std::remove_cv_t<T>, bool> &&
                         !std::is_same_v<std::remove_cv_t<T>, std::int64_t> && !UnsupportedInteger<T>;

}  // namespace sql
