#include "SQLite/Location.h"

#include "SQLite/URL.h"

#include <cctype>
#include <stdexcept>

namespace sql {
namespace {

bool hasScheme(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
    return false;
  for (std::size_t i = 1; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

std::string withParameters(const std::string& text, const std::vector<URIQueryParameter>& parameters) {
  if (!URL::fromString(text))
    throw std::invalid_argument("cannot add URI parameters to a location that is not a valid URI: " + text);
  const auto fragmentStart = text.find('#');
  std::string head = text.substr(0, fragmentStart);
  const std::string fragment = fragmentStart == std::string::npos ? "" : text.substr(fragmentStart);
  const auto queryStart = head.find('?');
  if (queryStart == std::string::npos)
    head += '?';
  else if (queryStart + 1 < head.size())
    head += '&';
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (i > 0) head += '&';
    head += parameters[i].description();
  }
  return (hasScheme(text) ? "" : "file:") + head + fragment;
}

}  // namespace

Location Location::uri(std::string text, std::vector<URIQueryParameter> parameters) {
  if (parameters.empty()) return Location(std::move(text));
  return Location(withParameters(text, parameters));
}

Location Location::inMemory() { return Location(":memory:"); }

Location Location::temporary() { return Location(""); }

}  // namespace sql
