#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Defaults/DefaultsValue.h"

namespace platform {

// The text form of the user-defaults file: a JSON document that tags every value with its
// type, so that a value reads back with the type it was written with:
//
//   {"format": 1,
//    "values": {"Language":      {"type": "text",    "value": "en"},
//               "isFirstLaunch": {"type": "bool",    "value": false},
//               "apiUsageCount": {"type": "integer", "value": 3},
//               "ratio":         {"type": "double",  "value": 0.25},   (or "nan", "inf", "-inf")
//               "tokenExpireAt": {"type": "date",    "value": 1700000000123456789},  (ns since 1970)
//               "avatar":        {"type": "bytes",   "value": "AAEC/w=="},           (base64)
//               "plan":          {"type": "json",    "value": {"tier": "pro"}}}}
//
// Doubles are written with as many digits as they need to read back exactly. Inside a
// "json" value, NaN and infinities have no JSON form and read back as null.

// The document for `values`, ending with a new line.
std::string encodeDefaults(const DefaultsMap& values);

// What a document holds: every entry that reads, and one description per entry that does not
// (an unknown type tag, a value that does not fit its tag, a JSON value nested deeper than
// kMaxJSONNesting), in the form "value \"<key>\": <what is wrong>".
struct DecodedDefaults {
  DefaultsMap values;
  std::vector<std::string> unreadable;
};

// Thrown for a document whose "format" is later than the one this version writes: it may
// mean something else by the same entries, so none of them is taken.
class NewerDefaultsFormat : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The entries of a document. Throws NewerDefaultsFormat for a later format, and
// std::runtime_error, naming what is wrong, when `contents` is not such a document at all:
// not JSON, not an object, no "format" of 1 or later, no "values" object.
DecodedDefaults decodeDefaults(std::string_view contents);

}  // namespace platform
