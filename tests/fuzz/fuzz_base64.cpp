// Base64 texts (the account code reads them): a text either decodes strictly and encodes back to
// itself, or is refused; and any bytes encode to a text that decodes back to them.
#include "Platform/Crypto/Base64.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto decoded = platform::base64Decode(text)) {
    require(platform::base64Encode(*decoded) == text);
    require(decoded->size() ==
            size / 4 * 3 - (size > 0 && text.back() == '=') - (size > 1 && text[size - 2] == '='));
  } else {
    // Whole groups of the alphabet without padding leave no bit unused: they always decode.
    require(size % 4 != 0 ||
            text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/") !=
                std::string_view::npos);
  }
  const std::string encoded = platform::base64Encode(text);
  require(encoded.size() % 4 == 0);
  const auto back = platform::base64Decode(encoded);
  require(back && *back == text);
  return 0;
}
