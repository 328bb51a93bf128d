#include "Platform/Crypto/AES.h"
#include "Platform/Crypto/Base64.h"
#include "Platform/Crypto/RandomBytes.h"
#include "Platform/Crypto/UUID.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string fromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

TEST(Base64, EncodesTheRfcExamples) {
  EXPECT_EQ(platform::base64Encode(""), "");
  EXPECT_EQ(platform::base64Encode("f"), "Zg==");
  EXPECT_EQ(platform::base64Encode("fo"), "Zm8=");
  EXPECT_EQ(platform::base64Encode("foo"), "Zm9v");
  EXPECT_EQ(platform::base64Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(platform::base64Encode(std::string("\xfb\xff\x00", 3)), "+/8A");
}

TEST(Base64, DecodesWhatItEncodesForEveryLength) {
  const std::string bytes = platform::randomBytes(70);
  for (std::size_t length = 0; length <= bytes.size(); ++length) {
    const std::string part = bytes.substr(0, length);
    EXPECT_EQ(platform::base64Decode(platform::base64Encode(part)), part) << length;
  }
}

TEST(Base64, RejectsWhatALenientDecoderWouldAccept) {
  EXPECT_EQ(platform::base64Decode("Zm9vYmFy"), "foobar");
  EXPECT_EQ(platform::base64Decode("Zm8="), "fo");
  EXPECT_FALSE(platform::base64Decode("Zm9v\nYmFy"));  // line break
  EXPECT_FALSE(platform::base64Decode(" Zm9vYmFy"));   // white space
  EXPECT_FALSE(platform::base64Decode("Zm8"));         // missing padding
  EXPECT_FALSE(platform::base64Decode("Zg=a"));        // padding inside
  EXPECT_FALSE(platform::base64Decode("Z==="));        // too much padding
  EXPECT_FALSE(platform::base64Decode("===="));
  EXPECT_FALSE(platform::base64Decode("Zm9-YmFy"));  // URL-safe alphabet
  EXPECT_FALSE(platform::base64Decode("Zm9v*mFy"));
  EXPECT_FALSE(platform::base64Decode("Zh=="));  // unused bits set: "f" is only "Zg=="
  EXPECT_FALSE(platform::base64Decode("Zm9="));  // "fo" is only "Zm8="
}

TEST(AES, MatchesTheFips197KnownAnswerAndPadsAFullBlock) {
  const std::string key = fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const std::string plain = fromHex("00112233445566778899aabbccddeeff");
  const auto cipher = platform::aes256ECBEncrypt(plain, key);
  ASSERT_TRUE(cipher);
  ASSERT_EQ(cipher->size(), 32u);  // PKCS#7 adds a whole block to a block-aligned input
  EXPECT_EQ(cipher->substr(0, 16), fromHex("8ea2b7ca516745bfeafc49904b496089"));
  EXPECT_EQ(platform::aes256ECBDecrypt(*cipher, key), plain);
}

TEST(AES, RoundTripsEveryLengthAndRejectsBadInput) {
  const std::string key = platform::randomBytes(32);
  for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 55u, 100u}) {
    const std::string plain = platform::randomBytes(length);
    const auto cipher = platform::aes256ECBEncrypt(plain, key);
    ASSERT_TRUE(cipher);
    EXPECT_EQ(cipher->size(), (length / 16 + 1) * 16);
    EXPECT_EQ(platform::aes256ECBDecrypt(*cipher, key), plain);
  }
  EXPECT_FALSE(platform::aes256ECBEncrypt("text", "short key"));
  EXPECT_FALSE(platform::aes256ECBDecrypt("not a whole block", key));
  const auto cipher = platform::aes256ECBEncrypt("some text", key);
  EXPECT_FALSE(platform::aes256ECBDecrypt(*cipher, platform::randomBytes(32)).value_or("") == "some text");
}

TEST(RandomBytes, GivesTheLengthAskedAndDiffersEachTime) {
  EXPECT_EQ(platform::randomBytes(0), "");
  EXPECT_EQ(platform::randomBytes(33).size(), 33u);
  EXPECT_NE(platform::randomBytes(16), platform::randomBytes(16));
}

TEST(UUID, RandomOnesAreVersionFourUpperCaseAndUnique) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const std::string text = platform::randomUUIDString();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
    EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos);
    EXPECT_TRUE(seen.insert(text).second);
  }
}

}  // namespace
