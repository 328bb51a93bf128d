#include "Platform/Http/HttpMessage.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<std::string> HttpResponseHead::header(std::string_view name) const {
  for (const auto& header : headers) {
    if (equalsIgnoringCase(header.name, name)) return header.value;
  }
  return std::nullopt;
}

}  // namespace platform
