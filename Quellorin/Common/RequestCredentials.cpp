#include "Quellorin/Common/RequestCredentials.h"

#include "Platform/Crypto/AES.h"
#include "Platform/Crypto/Base64.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Crypto/DeviceIdentifier.h"

namespace quellorin {

const std::string_view kCredentialKeyText = "JYTSV7XG/COUr2ZUy2iyW5neYvs8/bi2a/iR0ut5mes=";
const std::string_view kCredentialPrefix = "JYTSV7XG/COUr2ZUy2iyW5neYvs8/bi2a/iR0ut5mes=_";

std::string deviceIdentifier() { return platform::readDeviceIdentifier(); }

std::string makeEncryptedString() {
  // Truncated toward zero, as the service expects whole seconds.
  return makeEncryptedString(static_cast<std::int64_t>(platform::Clock::current()->wallTime()));
}

std::string makeEncryptedString(std::int64_t unixSeconds) {
  const auto key = platform::base64Decode(kCredentialKeyText);
  if (!key) return std::string();
  const std::string plaintext = std::string(kCredentialPrefix) + std::to_string(unixSeconds);
  const std::string ciphertext = encryptAES(plaintext, *key);
  return ciphertext.empty() ? std::string() : platform::base64Encode(ciphertext);
}

std::string encryptAES(std::string_view data, std::string_view key) {
  return platform::aes256ECBEncrypt(data, key).value_or(std::string());
}

}  // namespace quellorin
