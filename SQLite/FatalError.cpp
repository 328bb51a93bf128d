#include "SQLite/FatalError.h"

#include <cstdio>
#include <cstdlib>

namespace sql {

void fatalError(std::string_view message) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  std::fflush(stderr);
  std::abort();
}

}  // namespace sql
