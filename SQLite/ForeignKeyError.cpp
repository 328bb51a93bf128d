#include "SQLite/ForeignKeyError.h"

namespace sql {

std::string ForeignKeyError::description() const {
  return from + " [" + (rowId ? std::to_string(*rowId) : "NULL") + "] => " + to;
}

}  // namespace sql
