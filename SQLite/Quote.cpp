#include "SQLite/Quote.h"

namespace sql {

std::string quote(std::string_view text, char mark) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back(mark);
  for (char c : text) {
    quoted.push_back(c);
    if (c == mark) quoted.push_back(mark);
  }
  quoted.push_back(mark);
  return quoted;
}

}  // namespace sql
