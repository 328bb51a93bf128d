// Outside input of the account code: login-callback URLs and Base64 texts. Checks that parsing
// never crashes and that a decoded Base64 text encodes back to the same text.
#include "Platform/Crypto/Base64.h"
#include "Platform/Http/URLComponents.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto url = platform::URLComponents::parse(text)) {
    if (const auto items = url->queryItems()) {
      for (const auto& item : *items) (void)item.name.size();
    }
  }
  if (const auto decoded = platform::base64Decode(text)) {
    if (platform::base64Encode(*decoded) != text) std::abort();
  }
  return 0;
}
