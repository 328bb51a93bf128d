#pragma once

#include "SQLite/URIQueryParameter.h"

#include <string>
#include <vector>

namespace sql {

// Where a connection's database is: a file path or file URI (optionally with query
// parameters), an in-memory database, or a temporary on-disk database.
class Location {
 public:
  // A path or URI. Without parameters the text reaches the engine unchanged. With parameters,
  // the text must be a valid URI reference (only characters a URI can carry, %XX escapes
  // intact); otherwise throws std::invalid_argument rather than drop the parameters.
  static Location uri(std::string text, std::vector<URIQueryParameter> parameters = {});
  static Location inMemory();   // ":memory:"
  static Location temporary();  // the empty name

  // The text handed to the engine: ":memory:", the empty text, the path unchanged, or the
  // URI with the parameters appended after its own query items ("file:" added when the text
  // has no scheme).
  const std::string& description() const noexcept { return text_; }

 private:
  explicit Location(std::string text) : text_(std::move(text)) {}

  std::string text_;
};

}  // namespace sql
