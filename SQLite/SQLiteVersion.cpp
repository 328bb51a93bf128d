#include "SQLite/SQLiteVersion.h"

namespace sql {

std::string SQLiteVersion::description() const {
  return "SQLite " + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(point);
}

}  // namespace sql
