#include "Quellorin/Common/ServiceAddress.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "Platform/Http/URLComponents.h"

namespace quellorin {
namespace {

constexpr const char* kProductionServiceURL = "https://service.quellorin.app";

// `prefix` is in lower case.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
}

bool isUsableBase(const std::string& base) {
  if (!startsWithIgnoringCase(base, "http://") && !startsWithIgnoringCase(base, "https://")) return false;
  // Spaces, controls, a query or a fragment would not survive a path appended to the base.
  if (std::any_of(base.begin(), base.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '?' || c == '#';
      })) {
    return false;
  }
  // "http://" followed by a path ("http:///api") names no host.
  const std::string_view rest = std::string_view(base).substr(base.find("://") + 3);
  if (rest.empty() || rest.front() == '/') return false;
  const auto components = platform::URLComponents::parse(base);
  return components && !components->host().empty();
}

}  // namespace

std::string serviceBaseURL() {
  const char* configured = std::getenv("QUELLORIN_SERVICE_URL");
  std::string base = (configured != nullptr && configured[0] != '\0') ? configured : kProductionServiceURL;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

std::optional<std::string> serviceAddressProblem() {
  const char* configured = std::getenv("QUELLORIN_SERVICE_URL");
  if (configured == nullptr || configured[0] == '\0') return std::nullopt;
  if (isUsableBase(serviceBaseURL())) return std::nullopt;
  std::string shown = configured;
  // Keeps the report on one line whatever the variable holds.
  std::replace_if(
      shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; },
      '?');
  return "QUELLORIN_SERVICE_URL=\"" + shown +
         "\" is not a usable service address: it must be an absolute http or https address with a host "
         "and no query, such as https://service.example";
}

}  // namespace quellorin
