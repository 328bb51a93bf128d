#include "SQLite/LiteralValue.h"

#include "SQLite/Quote.h"

#include <array>
#include <regex>
#include <utility>

namespace sql {
namespace {

constexpr std::array<std::pair<LiteralValue::Kind, const char*>, 6> keywords{{
    {LiteralValue::Kind::NULL_, "NULL"},
    {LiteralValue::Kind::TRUE_, "TRUE"},
    {LiteralValue::Kind::FALSE_, "FALSE"},
    {LiteralValue::Kind::CURRENT_TIME, "CURRENT_TIME"},
    {LiteralValue::Kind::CURRENT_DATE, "CURRENT_DATE"},
    {LiteralValue::Kind::CURRENT_TIMESTAMP, "CURRENT_TIMESTAMP"},
}};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::optional<std::string> wholeMatch(const std::string& text, const std::regex& pattern) {
  std::smatch match;
  if (!std::regex_match(text, match, pattern)) return std::nullopt;
  return match[1].str();
}

}  // namespace

LiteralValue LiteralValue::fromSQLText(const std::optional<std::string>& text) {
  if (!text) return {};
  for (const auto& [kind, word] : keywords)
    if (*text == word) return {kind, ""};
  static const std::regex singleQuoted("'(.*)'");
  static const std::regex doubleQuoted("\"(.*)\"");
  static const std::regex blob("[xX]'(.*)'");
  if (auto inner = wholeMatch(*text, singleQuoted)) return stringLiteral(replaceAll(*inner, "''", "'"));
  if (auto inner = wholeMatch(*text, doubleQuoted)) return stringLiteral(replaceAll(*inner, "\"\"", "\""));
  if (auto inner = wholeMatch(*text, blob)) return blobLiteral(*inner);
  return numericLiteral(*text);
}

std::string LiteralValue::description() const {
  switch (kind) {
    case Kind::numericLiteral:
      return text;
    case Kind::stringLiteral:
      return quote(text, '\'');
    case Kind::blobLiteral:
      return "X" + quote(text, '\'');
    default:
      for (const auto& [entry, word] : keywords)
        if (entry == kind) return word;
      return {};
  }
}

}  // namespace sql
