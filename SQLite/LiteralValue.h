#pragma once

#include <optional>
#include <string>

namespace sql {

// A column default as SQL writes it.
//
// Case names that clash with C++ keywords or common macros carry a trailing underscore:
// NULL_, TRUE_, FALSE_ (glib defines TRUE and FALSE).
struct LiteralValue {
  enum class Kind {
    numericLiteral,  // the text as written, e.g. 1.5 or (1 + 2)
    stringLiteral,   // the unescaped text
    blobLiteral,     // the hexadecimal digits only
    NULL_,           // no default
    TRUE_,
    FALSE_,
    CURRENT_TIME,
    CURRENT_DATE,
    CURRENT_TIMESTAMP,
  };

  Kind kind = Kind::NULL_;
  std::string text;  // the payload of the three literal kinds, else empty

  static LiteralValue numericLiteral(std::string text) { return {Kind::numericLiteral, std::move(text)}; }
  static LiteralValue stringLiteral(std::string text) { return {Kind::stringLiteral, std::move(text)}; }
  static LiteralValue blobLiteral(std::string hex) { return {Kind::blobLiteral, std::move(hex)}; }
  // One of the kinds without payload: NULL_, TRUE_, FALSE_ and the three CURRENT_ ones.
  static LiteralValue keyword(Kind kind) { return {kind, ""}; }

  // A default as the table pragma reports it; absent text means NULL. Never fails: text that
  // is no keyword, quoted string or blob is kept as a numeric literal.
  static LiteralValue fromSQLText(const std::optional<std::string>& text);

  // The literal's SQL: 1.5, 'it''s', X'0A1B', NULL, CURRENT_TIMESTAMP...
  std::string description() const;

  bool operator==(const LiteralValue&) const = default;
};

}  // namespace sql
