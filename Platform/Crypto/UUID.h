#pragma once

#include <string>

namespace platform {

// A new version-4 (random) universally unique identifier from the secure generator, in the
// usual 36-character upper-case form ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"). Only the text:
// the one UUID type of the code base, for values that are parsed, compared or stored, is the
// SQL layer's sql::UUID, which reads this form.
std::string randomUUIDString();

}  // namespace platform
