#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quellorin {

// The query items of `url` as a name-to-value map: a later item with a value replaces an
// earlier one of the same name, an item without a value removes it. nullopt when the URL
// cannot be split or has no query at all; an empty query gives an empty map.
std::optional<std::map<std::string, std::string>> urlQueryParameters(std::string_view url);

}  // namespace quellorin
