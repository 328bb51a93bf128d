#include "Quellorin/Common/URLQueryParameters.h"

#include "Platform/Http/URLComponents.h"

namespace quellorin {

std::optional<std::map<std::string, std::string>> urlQueryParameters(std::string_view url) {
  const auto components = platform::URLComponents::parse(url);
  if (!components) return std::nullopt;
  const auto items = components->queryItems();
  if (!items) return std::nullopt;
  std::map<std::string, std::string> parameters;
  for (const auto& item : *items) {
    if (item.value) {
      parameters[item.name] = *item.value;
    } else {
      parameters.erase(item.name);
    }
  }
  return parameters;
}

}  // namespace quellorin
