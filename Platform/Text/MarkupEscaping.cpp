#include "Platform/Text/MarkupEscaping.h"

namespace platform {

namespace {

std::string escape(std::string_view text, bool quotes) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += quotes ? "&quot;" : "\"";
        break;
      case '\'':
        escaped += quotes ? "&#39;" : "'";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string markupText(std::string_view text) { return escape(text, false); }

std::string markupAttribute(std::string_view text) { return escape(text, true); }

}  // namespace platform
