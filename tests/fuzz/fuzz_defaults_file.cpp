// The user-defaults file as read at start: any bytes must either decode or be refused with
// std::runtime_error, never crash; whatever decodes must write and read back identically.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "Platform/Defaults/DefaultsCoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view contents(reinterpret_cast<const char*>(data), size);
  platform::DefaultsMap values;
  try {
    values = platform::decodeDefaults(contents);
  } catch (const std::runtime_error&) {
    return 0;
  }
  const platform::DefaultsMap again = platform::decodeDefaults(platform::encodeDefaults(values));
  if (again.size() != values.size()) __builtin_trap();
  for (const auto& [key, value] : values) {
    const auto found = again.find(key);
    if (found == again.end() || !platform::identical(found->second, value)) __builtin_trap();
  }
  return 0;
}
