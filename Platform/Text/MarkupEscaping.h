#pragma once

#include <string>
#include <string_view>

namespace platform {

// Escapes text for XML and HTML. `markupText` replaces "&", "<" and ">" only: enough for the
// content of an element, and what the property-list writer has always produced (its files must
// stay byte for byte). `markupAttribute` also replaces the double and the single quote, so the
// result is safe inside an attribute value in either kind of quotes, as well as in content.
// Bytes are copied as they are; the text is not checked to be UTF-8.
std::string markupText(std::string_view text);
std::string markupAttribute(std::string_view text);

}  // namespace platform
