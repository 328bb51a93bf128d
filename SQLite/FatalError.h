#pragma once

#include <string_view>

namespace sql {

// Misuse of this layer that no caller can recover from (a wrong number of bound values, a
// parameter name the statement lacks, a value of the wrong type...) stops the process:
// `message` is written to standard error, followed by a new line, and the process aborts.
[[noreturn]] void fatalError(std::string_view message);

}  // namespace sql
