#include "SQLite/Quote.h"

namespace sql {

std::string quote(std::string_view text, char mark) {
  std::string quoted;
  appendQuoted(quoted, text, mark);
  return quoted;
}

void appendQuoted(std::string& quoted, std::string_view text, char mark) {
  quoted.reserve(quoted.size() + text.size() + 2);
  quoted.push_back(mark);
  // Copies whole runs between marks; each mark inside is doubled.
  for (auto rest = text;;) {
    const auto at = rest.find(mark);
    if (at == std::string_view::npos) {
      quoted.append(rest);
      break;
    }
    quoted.append(rest.substr(0, at + 1)).push_back(mark);
    rest.remove_prefix(at + 1);
  }
  quoted.push_back(mark);
}

}  // namespace sql
