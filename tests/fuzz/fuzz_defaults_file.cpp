// The user-defaults file as read at start: any bytes must either decode or be refused with
// std::runtime_error, never crash; whatever decodes must write and read back identically,
// with no entry left out the second time.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "Platform/Defaults/DefaultsCoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view contents(reinterpret_cast<const char*>(data), size);
  platform::DefaultsMap values;
  try {
    values = platform::decodeDefaults(contents).values;
  } catch (const std::runtime_error&) {
    return 0;
  }
  const platform::DecodedDefaults decodedAgain = platform::decodeDefaults(platform::encodeDefaults(values));
  if (!decodedAgain.unreadable.empty()) __builtin_trap();
  const platform::DefaultsMap& again = decodedAgain.values;
  if (again.size() != values.size()) __builtin_trap();
  for (const auto& [key, value] : values) {
    const auto found = again.find(key);
    if (found == again.end() || !platform::identical(found->second, value)) __builtin_trap();
  }
  return 0;
}
