#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace platform {

// A point in wall time, as the user-defaults store keeps it: nanoseconds since
// 1970-01-01 00:00:00 UTC, exact across restarts.
using DefaultsDate = std::chrono::system_clock::time_point;

// Raw bytes, kept exactly (zero bytes included).
using DefaultsBytes = std::vector<std::uint8_t>;

// One stored value. The alternative held is the value's type, and it survives restarts:
// an integer written stays an integer, a text holding digits stays a text.
using DefaultsValue = std::variant<std::string,      // text (UTF-8)
                                   bool,             // truth value
                                   std::int64_t,     // integer
                                   double,           // floating point, NaN and infinities included
                                   DefaultsDate,     // date
                                   DefaultsBytes,    // bytes
                                   nlohmann::json>;  // any JSON value, stored as received

// Every value of a store by key, in key order; looked up by std::string_view as well.
using DefaultsMap = std::map<std::string, DefaultsValue, std::less<>>;

// The conversions behind the typed reads of UserDefaults. A JSON value that is a string, a
// truth value or a number reads as that scalar; JSON objects, arrays and null, dates and
// bytes read as "absent" for text and as false / 0 for the others.

// Text: a text as it is; an integer as its decimal text; a double as its shortest text that
// reads back to the same double ("2.5", "100", "nan", "inf"); a truth value as "1" or "0".
std::optional<std::string> textOf(const DefaultsValue& value);

// Truth value: a truth value as it is; a number is true when it is not zero; a text is true
// when, after leading white space, an optional sign and leading zeros, it starts with
// 'Y', 'y', 'T', 't' or a digit 1 to 9 ("YES", "true", "1", "007"); anything else is false.
bool truthOf(const DefaultsValue& value);

// Integer: an integer as it is; a truth value as 1 or 0; a double truncated towards zero and
// clamped to the 64-bit range (NaN gives 0); a text by its leading decimal integer after
// white space ("  -17 apples" gives -17, "3.9" gives 3, out of range clamps, none gives 0).
std::int64_t integerOf(const DefaultsValue& value);

// Double: a double as it is; an integer converted; a truth value as 1 or 0; a text by its
// leading decimal number after white space ("2.5 kg" gives 2.5; none or out of range gives 0).
double realOf(const DefaultsValue& value);

// JSON: a JSON value as it is; a text, truth value, integer or double as the same JSON
// scalar; dates and bytes have no JSON form.
std::optional<nlohmann::json> jsonOf(const DefaultsValue& value);

// The deepest nesting of JSON arrays and objects that the store accepts: copying, comparing and
// writing a JSON value recurse once per level, so deeper values are refused rather than
// risking the stack. "[]" is nested 1 level, "[[1]]" 2, a scalar 0.
constexpr std::size_t kMaxJSONNesting = 256;

// True when `json` nests arrays and objects more than `levels` deep. Does not recurse.
bool nestedDeeperThan(const nlohmann::json& json, std::size_t levels);

// True when `a` and `b` have the same type and would be stored the same way: doubles are
// compared bit for bit, so NaN equals NaN and -0.0 differs from 0.0.
bool identical(const DefaultsValue& a, const DefaultsValue& b);

// The same value with every text (JSON strings and object keys included) made valid UTF-8:
// each ill-formed sequence becomes U+FFFD. Values are stored this way so that what is in
// memory is exactly what a later start reads back from the file.
DefaultsValue withValidText(DefaultsValue value);
std::string withValidText(std::string text);

}  // namespace platform
