#pragma once

#include <optional>
#include <string>

namespace quellorin {

// The remote service's base address (scheme and host, no trailing "/"): the value of the
// environment variable QUELLORIN_SERVICE_URL when it is set and not empty, else the
// production address. Read anew at each call. Paths such as "/api/processText" are appended.
std::string serviceBaseURL();

// One line saying why QUELLORIN_SERVICE_URL cannot be the base address, or none when it is
// unset, empty or usable. Usable: an absolute "http" or "https" address with a host and
// neither query nor fragment, since paths are appended to it. The application refuses to
// start with anything else rather than send requests (and credentials) wherever a partial
// address happens to lead.
std::optional<std::string> serviceAddressProblem();

}  // namespace quellorin
