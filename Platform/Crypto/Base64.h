#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks) over raw bytes held in
// std::string. Thread-safe; keeps no state.

// Encodes `bytes`; the result's length is always a multiple of four.
std::string base64Encode(std::string_view bytes);

// Decodes strictly: the text must be a whole number of four-character groups from the
// alphabet, with "=" only as the last one or two characters, and the bits that padding leaves
// unused set to zero. Whitespace, line breaks, missing padding or any other character make it
// fail (nullopt).
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace platform
