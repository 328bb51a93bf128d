#include "Markdown/DescriptionText.h"

namespace markdown::description {

std::string textOrNil(const std::optional<std::string>& text) { return text.value_or("nil"); }

std::string escapedTextOrNil(const std::optional<std::string>& text) {
  if (!text) {
    return "nil";
  }
  std::string escaped;
  escaped.reserve(text->size());
  for (char character : *text) {
    if (character == '\n') {
      escaped += "\\n";
    } else {
      escaped += character;
    }
  }
  return escaped;
}

}  // namespace markdown::description
