#include "Platform/Crypto/RandomBytes.h"

#include <openssl/rand.h>

#include <climits>
#include <stdexcept>

namespace platform {

std::string randomBytes(std::size_t count) {
  std::string bytes(count, '\0');
  if (count == 0) return bytes;
  if (count > INT_MAX ||
      RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1) {
    throw std::runtime_error("the random generator failed");
  }
  return bytes;
}

}  // namespace platform
