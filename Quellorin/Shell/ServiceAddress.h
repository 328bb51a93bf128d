#pragma once

#include <string>

namespace quellorin {

// The remote service's base address (scheme and host, no trailing "/"): the value of the
// environment variable QUELLORIN_SERVICE_URL when it is set and not empty, else the
// production address. Read anew at each call. Paths such as "/api/processText" are appended.
std::string serviceBaseURL();

}  // namespace quellorin
