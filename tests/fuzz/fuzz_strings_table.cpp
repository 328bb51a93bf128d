// Any bytes given as a .strings file parse without crashing, every error names a line of the
// file, every key and value comes out as well-formed UTF-8, and the entries, written back as a
// file of their own, read back the same with no error.
#include "Platform/Core/StringsTable.h"
#include "Platform/Core/Unicode.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::string stringsLiteral(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\U%04X", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const platform::StringsTable table = platform::StringsTable::parse(bytes);
  for (const auto& error : table.errors()) {
    require(error.line != 0 && error.line <= size + 1);
  }
  std::string written;
  for (const auto& [key, value] : table.entries()) {
    require(platform::unicode::isValidUTF8(key) && platform::unicode::isValidUTF8(value));
    written += stringsLiteral(key) + " = " + stringsLiteral(value) + ";\n";
  }
  const platform::StringsTable reread = platform::StringsTable::parse(written);
  require(reread.errors().empty());
  require(reread.entries() == table.entries());
  return 0;
}
