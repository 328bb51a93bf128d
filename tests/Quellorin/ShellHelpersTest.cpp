#include "Platform/Crypto/AES.h"
#include "Platform/Crypto/Base64.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Common/RequestCredentials.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Common/ShortcutDisplayString.h"
#include "Quellorin/Common/URLQueryParameters.h"
#include "Quellorin/Shell/UpdaterDelegate.h"
#include "tests/support/ScopedEnvironmentVariable.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace quellorin;

// Computed with: printf '%s' "<prefix>1767225600" | openssl enc -aes-256-ecb -K <key as hex> | base64 -w0
constexpr const char* kCredentialAt1767225600 =
    "XUhUgQ3dEl3K+CX5ZyzX+Y6UwKNkGKPLQszcmvGuD4GpTBMlw9zqOdkWWRfLKtpqMQULYRGNvyL9wzkpLFXExw==";

TEST(RequestCredentials, TheCurrentOneMatchesTheOpensslCommandLineInWholeSecondsOfTheClock) {
  platform::VirtualEnvironment environment;  // its wall clock starts at 1767225600
  EXPECT_EQ(makeEncryptedString(), kCredentialAt1767225600);
  environment.advance(0.999);
  EXPECT_EQ(makeEncryptedString(), kCredentialAt1767225600);  // cut toward zero
  environment.advance(0.001);
  const std::string credential = makeEncryptedString();
  EXPECT_EQ(credential, makeEncryptedString(1767225601));
  EXPECT_NE(credential, kCredentialAt1767225600);

  const auto plain = platform::aes256ECBDecrypt(platform::base64Decode(credential).value_or(""),
                                                *platform::base64Decode(kCredentialKeyText));
  ASSERT_TRUE(plain);
  EXPECT_EQ(*plain, std::string(kCredentialPrefix) + "1767225601");
}

TEST(RequestCredentials, AnEncryptionFailureGivesNoBytesAndTheIdentifierIsNeverEmpty) {
  EXPECT_EQ(encryptAES("text", "a key of the wrong length"), "");
  EXPECT_EQ(encryptAES("text", std::string(32, 'k')).size(), 16u);
  EXPECT_FALSE(deviceIdentifier().empty());
}

TEST(ShortcutDisplayString, ModifiersComeInTheirFixedOrderAndOtherBitsChangeNothing) {
  const auto all = modifier::control | modifier::shift | modifier::command | modifier::option;
  const auto noise = modifier::capsLock | modifier::numericPad | modifier::function;
  const struct {
    std::uint16_t code;
    std::uint64_t flags;
    const char* text;
  } cases[] = {{0, all, "⌘ + ⌥ + ⌃ + ⇧ + A"},
               {49, modifier::command | modifier::shift, "⌘ + ⇧ + ␣"},
               {49, 0, "␣"},
               {36, modifier::control, "⌃ + ⏎"},
               {123, noise, "←"},
               {123, noise | modifier::option, "⌥ + ←"},
               {10, 0, "未知键(10)"},
               {50, 0, "\""}};
  for (const auto& c : cases) EXPECT_EQ(shortcutDisplayString(c.code, c.flags), c.text);
}

TEST(ShortcutDisplayString, EveryOneOfTheSeventySevenNamedKeysParsesBackAndNothingElseDoes) {
  const auto all = modifier::control | modifier::shift | modifier::command | modifier::option;
  int named = 0;
  for (int code = 0; code <= 0xFFFF; ++code) {
    const auto key = static_cast<std::uint16_t>(code);
    if (keyCodeDisplayName(key) == "未知键(" + std::to_string(code) + ")") continue;
    ++named;
    for (const std::uint64_t flags : {std::uint64_t{0}, all}) {
      EXPECT_EQ(parseShortcutDisplayString(shortcutDisplayString(key, flags)),
                (platform::KeyCombination{key, flags}))
          << code;
    }
  }
  EXPECT_EQ(named, 77);
  for (const char* text : {"", "⌘ + ", "⌘ + ⇧ + Space", "X + A", "⌘+A", "未知键(10)"}) {
    EXPECT_EQ(parseShortcutDisplayString(text), std::nullopt) << text;
  }
}

TEST(URLQueryParameters, TheLastItemOfANameWinsAndAValuelessOneRemovesIt) {
  using Map = std::map<std::string, std::string>;
  EXPECT_EQ(urlQueryParameters("quellorin://login?token=a&token=b"), Map({{"token", "b"}}));
  EXPECT_EQ(urlQueryParameters("quellorin://login?token=a&token"), Map());
  EXPECT_EQ(urlQueryParameters("quellorin://login?token=&x=1"), Map({{"token", ""}, {"x", "1"}}));
  EXPECT_EQ(urlQueryParameters("quellorin://login"), std::nullopt);
  EXPECT_EQ(urlQueryParameters("no url at all"), std::nullopt);
}

TEST(ServiceAddress, OnlyAnAbsoluteHttpAddressWithAHostOverridesTheBuiltInOne) {
  {
    testsupport::ScopedEnvironmentVariable unset("QUELLORIN_SERVICE_URL", nullptr);
    EXPECT_TRUE(serviceBaseURL().starts_with("https://"));
    EXPECT_EQ(serviceAddressProblem(), std::nullopt);
  }
  {
    testsupport::ScopedEnvironmentVariable set("QUELLORIN_SERVICE_URL", "http://127.0.0.1:8080/");
    EXPECT_EQ(serviceBaseURL(), "http://127.0.0.1:8080");
    EXPECT_EQ(UpdaterDelegate().feedURLStringForUpdater(), "http://127.0.0.1:8080/Appcast.xml");
  }
  const struct {
    const char* address;
    bool usable;
  } cases[] = {
      {"", true},  // empty: the built-in address
      {"HTTPS://service.example/prefix", true},
      {"https://user@service.example:8443", true},
      {"http://", false},
      {"http:///api", false},
      {"http://:80", false},
      {"service.example", false},
      {"//service.example", false},
      {"http:service.example", false},
      {"file:///etc/passwd", false},
      {"https://service.example?x=1", false},
      {"https://service.example/#part", false},
      {"https://service example", false},
      {"https://service.example\n", false},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.address);
    testsupport::ScopedEnvironmentVariable set("QUELLORIN_SERVICE_URL", entry.address);
    const auto problem = serviceAddressProblem();
    EXPECT_EQ(!problem.has_value(), entry.usable);
    if (problem) {
      EXPECT_TRUE(problem->starts_with("QUELLORIN_SERVICE_URL=\"")) << *problem;
      EXPECT_EQ(problem->find('\n'), std::string::npos);
    }
  }
}

}  // namespace
