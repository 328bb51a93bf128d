#pragma once

#include <string>

namespace platform {

// The short, lower-case reason phrase the desktop shows for an HTTP status ("not found" for
// 404); for a code it does not name, the phrase of its class ("client error" for 499, say).
std::string httpStatusPhrase(long status);

}  // namespace platform
