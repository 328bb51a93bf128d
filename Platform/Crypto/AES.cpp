#include "Platform/Crypto/AES.h"

#include <openssl/evp.h>

#include <memory>

namespace platform {
namespace {

constexpr std::size_t kKeyLength = 32;
constexpr std::size_t kBlockLength = 16;

struct CipherContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

std::optional<std::string> runCipher(std::string_view input, std::string_view key, bool encrypt) {
  if (key.size() != kKeyLength) return std::nullopt;
  CipherContext context(EVP_CIPHER_CTX_new());
  if (!context) return std::nullopt;
  const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.data());
  if (EVP_CipherInit_ex(context.get(), EVP_aes_256_ecb(), nullptr, keyBytes, nullptr, encrypt ? 1 : 0) != 1) {
    return std::nullopt;
  }
  // PKCS#7 padding is the EVP default; the output holds at most one block more than the input.
  std::string output(input.size() + kBlockLength, '\0');
  auto* out = reinterpret_cast<unsigned char*>(output.data());
  int updated = 0;
  if (EVP_CipherUpdate(context.get(), out, &updated, reinterpret_cast<const unsigned char*>(input.data()),
                       static_cast<int>(input.size())) != 1) {
    return std::nullopt;
  }
  int finished = 0;
  if (EVP_CipherFinal_ex(context.get(), out + updated, &finished) != 1) return std::nullopt;
  output.resize(static_cast<std::size_t>(updated + finished));
  return output;
}

}  // namespace

std::optional<std::string> aes256ECBEncrypt(std::string_view plaintext, std::string_view key) {
  return runCipher(plaintext, key, true);
}

std::optional<std::string> aes256ECBDecrypt(std::string_view ciphertext, std::string_view key) {
  return runCipher(ciphertext, key, false);
}

}  // namespace platform
