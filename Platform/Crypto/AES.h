#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// AES-256 in ECB mode with PKCS#7 padding, through OpenSSL's EVP interface. Bytes are held in
// std::string. Thread-safe; keeps no state. Both return nullopt when the key is not 32 bytes
// long or the cipher reports a failure (for decryption: bad padding or a partial block).

std::optional<std::string> aes256ECBEncrypt(std::string_view plaintext, std::string_view key);
std::optional<std::string> aes256ECBDecrypt(std::string_view ciphertext, std::string_view key);

}  // namespace platform
