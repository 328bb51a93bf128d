#include "Platform/Crypto/Base64.h"

#include <openssl/evp.h>

#include <algorithm>

namespace platform {
namespace {

int alphabetValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  return c == '+' ? 62 : 63;
}

bool isBase64AlphabetCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// OpenSSL's block decoder skips whitespace and tolerates misplaced padding, so the text is
// checked here first. Returns the number of padding characters, or nullopt when malformed.
std::optional<std::size_t> validatedPaddingCount(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  if (text.empty()) return 0;
  const std::size_t lastData = text.find_last_not_of('=');
  if (lastData == std::string_view::npos) return std::nullopt;
  const std::size_t padding = text.size() - lastData - 1;
  if (padding > 2) return std::nullopt;
  const std::string_view body = text.substr(0, text.size() - padding);
  if (!std::all_of(body.begin(), body.end(), isBase64AlphabetCharacter)) return std::nullopt;
  // The bits that padding leaves unused must be zero, so that each byte string has one text.
  const int unusedBitsMask = padding == 2 ? 0x0F : padding == 1 ? 0x03 : 0;
  if ((alphabetValue(body.back()) & unusedBitsMask) != 0) return std::nullopt;
  return padding;
}

}  // namespace

std::string base64Encode(std::string_view bytes) {
  std::string encoded(4 * ((bytes.size() + 2) / 3), '\0');
  if (bytes.empty()) return encoded;
  const int written =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  encoded.resize(static_cast<std::size_t>(written));
  return encoded;
}

std::optional<std::string> base64Decode(std::string_view text) {
  const auto padding = validatedPaddingCount(text);
  if (!padding) return std::nullopt;
  if (text.empty()) return std::string();
  std::string decoded(text.size() / 4 * 3, '\0');
  const int written =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (written < 0) return std::nullopt;
  // The block decoder counts the bytes that padding stands for; drop them.
  decoded.resize(static_cast<std::size_t>(written) - *padding);
  return decoded;
}

}  // namespace platform
