// Any bytes given as a .strings file parse without crashing, every error names a line of the file,
// and every key and value comes out as well-formed UTF-8.
#include "Platform/Core/StringsTable.h"
#include "Platform/Core/Unicode.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const platform::StringsTable table = platform::StringsTable::parse(bytes);
  for (const auto& error : table.errors()) {
    if (error.line == 0 || error.line > size + 1) std::abort();
  }
  for (const auto& [key, value] : table.entries()) {
    if (!platform::unicode::isValidUTF8(key) || !platform::unicode::isValidUTF8(value)) std::abort();
  }
  return 0;
}
