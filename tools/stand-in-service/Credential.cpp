#include "Credential.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>

namespace standin {
namespace {

// The key the service shares with the application, in its Base64 form.
constexpr const char* kCredentialKeyText = "JYTSV7XG/COUr2ZUy2iyW5neYvs8/bi2a/iR0ut5mes=";

struct ContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

std::optional<std::string> decodeBase64(const std::string& text) {
  if (text.empty() || text.size() % 4 != 0) return std::nullopt;
  std::string bytes(text.size() / 4 * 3, '\0');
  const int written =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (written < 0) return std::nullopt;
  const auto padding = static_cast<std::size_t>(std::count(text.end() - 2, text.end(), '='));
  bytes.resize(static_cast<std::size_t>(written) - padding);
  return bytes;
}

std::optional<std::string> decrypt(const std::string& ciphertext, const std::string& key) {
  std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
  if (!context || key.size() != 32) return std::nullopt;
  if (EVP_DecryptInit_ex(context.get(), EVP_aes_256_ecb(), nullptr,
                         reinterpret_cast<const unsigned char*>(key.data()), nullptr) != 1) {
    return std::nullopt;
  }
  std::string plain(ciphertext.size() + 16, '\0');
  int updated = 0;
  int finished = 0;
  auto* out = reinterpret_cast<unsigned char*>(plain.data());
  if (EVP_DecryptUpdate(context.get(), out, &updated,
                        reinterpret_cast<const unsigned char*>(ciphertext.data()),
                        static_cast<int>(ciphertext.size())) != 1 ||
      EVP_DecryptFinal_ex(context.get(), out + updated, &finished) != 1) {
    return std::nullopt;
  }
  plain.resize(static_cast<std::size_t>(updated + finished));
  return plain;
}

}  // namespace

std::string credentialVerdict(const std::string* authorization, const std::string* encrypted) {
  if (authorization != nullptr)
    return "bearer:" + authorization->substr(std::min<std::size_t>(7, authorization->size()));
  if (encrypted == nullptr) return "none";
  const auto key = decodeBase64(kCredentialKeyText);
  const auto ciphertext = decodeBase64(*encrypted);
  if (!key || !ciphertext) return "device-invalid";
  const auto plain = decrypt(*ciphertext, *key);
  const std::string prefix = std::string(kCredentialKeyText) + "_";
  if (!plain || !plain->starts_with(prefix)) return "device-invalid";
  const std::string seconds = plain->substr(prefix.size());
  const bool digits = !seconds.empty() && std::all_of(seconds.begin(), seconds.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  return digits ? "device:" + seconds : "device-invalid";
}

}  // namespace standin
