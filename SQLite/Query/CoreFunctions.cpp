#include "SQLite/Query/CoreFunctions.h"

#include <array>

namespace sql {

namespace {
constexpr std::array<std::string_view, 20> functionWords{
    "abs",  "round",   "random", "randomblob", "zeroblob", "length", "lower", "upper",  "ltrim",   "rtrim",
    "trim", "replace", "substr", "LIKE",       "IN",       "GLOB",   "MATCH", "REGEXP", "COLLATE", "ifnull"};
}  // namespace

std::string_view rawText(CoreFunction function) { return functionWords[static_cast<std::size_t>(function)]; }

}  // namespace sql
