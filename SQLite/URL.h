#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sql {

// A URL, stored in the database as its text. Only the characters a URI may carry are
// accepted (letters, digits, the reserved and unreserved marks, and %XX escapes); the text is
// kept as given.
struct URL {
  std::string absoluteString;

  // Absent for an empty text, a text with a character a URI cannot carry, or a broken escape.
  static std::optional<URL> fromString(std::string_view text);

  bool operator==(const URL&) const = default;
};

}  // namespace sql
