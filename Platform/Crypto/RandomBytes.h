#pragma once

#include <cstddef>
#include <string>

namespace platform {

// `count` bytes from OpenSSL's cryptographically secure generator. Thread-safe.
// Throws std::runtime_error when the generator cannot be seeded (never on a working system).
std::string randomBytes(std::size_t count);

}  // namespace platform
