#pragma once

#include <stdexcept>
#include <string>

namespace sql {

// A record field that cannot be written to or read from a row: an unsupported value
// (encoding), a stored value that does not fit the requested type (decoding), or stored text
// that cannot be read back (a broken date, UUID or JSON text).
class RecordCodingError : public std::runtime_error {
 public:
  enum class Kind { invalidValue, typeMismatch, dataCorrupted };

  RecordCodingError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

  Kind kind() const noexcept { return kind_; }

 private:
  Kind kind_;
};

}  // namespace sql
