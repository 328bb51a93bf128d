#pragma once

#include <string>
#include <string_view>

#include "SQLite/Query/Expression.h"

namespace sql {

// The collating sequence a column definition or an expression asks for: one of the engine's
// three built-in sequences (written bare) or one registered by the application under a name
// (written as a quoted identifier). Contributes no bindings.
class Collation {
 public:
  static Collation binary() { return Collation("BINARY"); }
  static Collation nocase() { return Collation("NOCASE"); }
  static Collation rtrim() { return Collation("RTRIM"); }
  static Collation custom(std::string_view name) { return Collation(quote(name, '"')); }

  Expression<void> expression() const { return Expression<void>::literal(text_); }
  const std::string& description() const { return text_; }

 private:
  explicit Collation(std::string text) : text_(std::move(text)) {}

  std::string text_;
};

}  // namespace sql
