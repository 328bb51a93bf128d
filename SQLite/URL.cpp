#include "SQLite/URL.h"

#include <cctype>
#include <cstring>

namespace sql {
namespace {

bool isURICharacter(char c) {
  static constexpr const char* marks = "-._~:/?#[]@!$&'()*+,;=";
  return std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr(marks, c) != nullptr);
}

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::optional<URL> URL::fromString(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) return std::nullopt;
      i += 2;
    } else if (!isURICharacter(text[i])) {
      return std::nullopt;
    }
  }
  return URL{std::string(text)};
}

}  // namespace sql
