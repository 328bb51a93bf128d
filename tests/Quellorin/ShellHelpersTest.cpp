#include "Platform/Crypto/AES.h"
#include "Platform/Crypto/Base64.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Quellorin/Common/RequestCredentials.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Common/ShortcutDisplayString.h"
#include "Quellorin/Common/URLQueryParameters.h"
#include "Quellorin/Shell/UpdaterDelegate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

using namespace quellorin;

// Computed with: printf '%s' "<prefix>1767225600" | openssl enc -aes-256-ecb -K <key as hex> | base64 -w0
constexpr const char* kCredentialAt1767225600 =
    "XUhUgQ3dEl3K+CX5ZyzX+Y6UwKNkGKPLQszcmvGuD4GpTBMlw9zqOdkWWRfLKtpqMQULYRGNvyL9wzkpLFXExw==";

TEST(RequestCredentials, MatchesTheOpensslCommandLine) {
  EXPECT_EQ(makeEncryptedString(1767225600), kCredentialAt1767225600);
}

TEST(RequestCredentials, KeyAndPrefixHaveTheirFixedShape) {
  EXPECT_EQ(kCredentialKeyText.size(), 44u);
  EXPECT_EQ(platform::base64Decode(kCredentialKeyText).value_or("").size(), 32u);
  EXPECT_EQ(kCredentialPrefix, std::string(kCredentialKeyText) + "_");
}

TEST(RequestCredentials, ChangeWithTheSecondAndStayWithinIt) {
  EXPECT_EQ(makeEncryptedString(1767225600), makeEncryptedString(1767225600));
  EXPECT_NE(makeEncryptedString(1767225600), makeEncryptedString(1767225601));
}

TEST(RequestCredentials, TheCurrentOneFollowsTheEnvironmentsClock) {
  platform::VirtualEnvironment environment;  // its wall clock starts at 1767225600
  EXPECT_EQ(makeEncryptedString(), kCredentialAt1767225600);
  environment.advance(0.999);
  EXPECT_EQ(makeEncryptedString(), kCredentialAt1767225600);  // whole seconds, cut toward zero
  environment.advance(0.001);
  EXPECT_EQ(makeEncryptedString(), makeEncryptedString(1767225601));

  const std::string credential = makeEncryptedString();
  ASSERT_EQ(credential.size(), 88u);
  const auto ciphertext = platform::base64Decode(credential);
  ASSERT_TRUE(ciphertext);
  EXPECT_EQ(ciphertext->size(), 64u);
  const auto plain = platform::aes256ECBDecrypt(*ciphertext, *platform::base64Decode(kCredentialKeyText));
  ASSERT_TRUE(plain);
  ASSERT_EQ(plain->size(), 55u);
  EXPECT_TRUE(plain->starts_with(kCredentialPrefix));
  EXPECT_EQ(plain->substr(45).find_first_not_of("0123456789"), std::string::npos);
}

TEST(RequestCredentials, EncryptionFailureGivesNoBytes) {
  EXPECT_EQ(encryptAES("text", "a key of the wrong length"), "");
  EXPECT_EQ(encryptAES("text", std::string(32, 'k')).size(), 16u);
}

TEST(RequestCredentials, DeviceIdentifierIsNeverEmpty) { EXPECT_FALSE(deviceIdentifier().empty()); }

TEST(ShortcutDisplayString, ModifiersComeInTheirFixedOrder) {
  const auto all = modifier::control | modifier::shift | modifier::command | modifier::option;
  EXPECT_EQ(shortcutDisplayString(0, all), "⌘ + ⌥ + ⌃ + ⇧ + A");
  EXPECT_EQ(shortcutDisplayString(49, modifier::command | modifier::shift), "⌘ + ⇧ + ␣");
  EXPECT_EQ(shortcutDisplayString(49, 0), "␣");
  EXPECT_EQ(shortcutDisplayString(36, modifier::control), "⌃ + ⏎");
}

TEST(ShortcutDisplayString, ParsingGivesBackTheCombinationOfEveryNamedKey) {
  const auto all = modifier::control | modifier::shift | modifier::command | modifier::option;
  for (std::uint16_t code = 0; code < 130; ++code) {
    if (keyCodeDisplayName(code).starts_with("未知键")) continue;
    for (const std::uint64_t flags : {std::uint64_t{0}, modifier::command | modifier::shift, all}) {
      EXPECT_EQ(parseShortcutDisplayString(shortcutDisplayString(code, flags)),
                (platform::KeyCombination{code, flags}))
          << shortcutDisplayString(code, flags);
    }
  }
}

TEST(ShortcutDisplayString, ParsingRefusesTextsThatNameNoKey) {
  for (const char* text : {"", "⌘ + ", "⌘ + ⇧ + Space", "X + A", "⌘+A", "未知键(10)"}) {
    EXPECT_EQ(parseShortcutDisplayString(text), std::nullopt) << text;
  }
}

TEST(ShortcutDisplayString, OtherModifierBitsChangeNothing) {
  const auto noise = modifier::capsLock | modifier::numericPad | modifier::function;
  EXPECT_EQ(shortcutDisplayString(123, noise), "←");
  EXPECT_EQ(shortcutDisplayString(123, noise | modifier::option), "⌥ + ←");
}

TEST(ShortcutDisplayString, KeyNameTableHasItsSeventySevenEntriesAndFallsBackElsewhere) {
  int named = 0;
  for (int code = 0; code <= 0xFFFF; ++code) {
    const std::string name = keyCodeDisplayName(static_cast<std::uint16_t>(code));
    if (name != "未知键(" + std::to_string(code) + ")") ++named;
  }
  EXPECT_EQ(named, 77);
  EXPECT_EQ(keyCodeDisplayName(10), "未知键(10)");
  EXPECT_EQ(keyCodeDisplayName(96), "未知键(96)");
  EXPECT_EQ(keyCodeDisplayName(127), "未知键(127)");
  EXPECT_EQ(keyCodeDisplayName(48), "`");
  EXPECT_EQ(keyCodeDisplayName(50), "\"");
  EXPECT_EQ(keyCodeDisplayName(42), "\\");
  EXPECT_EQ(keyCodeDisplayName(67), "F3");
  EXPECT_EQ(keyCodeDisplayName(126), "↑");
}

TEST(URLQueryParameters, TheLastItemOfANameWinsAndAValuelessOneRemovesIt) {
  using Map = std::map<std::string, std::string>;
  EXPECT_EQ(urlQueryParameters("quellorin://login?token=a&token=b"), Map({{"token", "b"}}));
  EXPECT_EQ(urlQueryParameters("quellorin://login?token=a&token"), Map());
  EXPECT_EQ(urlQueryParameters("quellorin://login?token=&x=1"), Map({{"token", ""}, {"x", "1"}}));
  EXPECT_EQ(urlQueryParameters("quellorin://login?"), Map());
  EXPECT_EQ(urlQueryParameters("quellorin://login"), std::nullopt);
  EXPECT_EQ(urlQueryParameters("no url at all"), std::nullopt);
}

TEST(ServiceAddress, EnvironmentOverridesTheBuiltInAddress) {
  const char* old = std::getenv("QUELLORIN_SERVICE_URL");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  unsetenv("QUELLORIN_SERVICE_URL");
  EXPECT_TRUE(serviceBaseURL().starts_with("https://"));
  setenv("QUELLORIN_SERVICE_URL", "http://127.0.0.1:8080/", 1);
  EXPECT_EQ(serviceBaseURL(), "http://127.0.0.1:8080");
  EXPECT_EQ(UpdaterDelegate().feedURLStringForUpdater(), "http://127.0.0.1:8080/Appcast.xml");
  if (saved)
    setenv("QUELLORIN_SERVICE_URL", saved->c_str(), 1);
  else
    unsetenv("QUELLORIN_SERVICE_URL");
}

TEST(ServiceAddress, OnlyAnAbsoluteHttpAddressWithAHostIsAccepted) {
  const char* old = std::getenv("QUELLORIN_SERVICE_URL");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  unsetenv("QUELLORIN_SERVICE_URL");
  EXPECT_EQ(serviceAddressProblem(), std::nullopt);
  const struct {
    const char* address;
    bool usable;
  } cases[] = {
      {"", true},  // empty: the built-in address
      {"http://127.0.0.1:8080/", true},
      {"HTTPS://service.example/prefix", true},
      {"https://user@service.example:8443", true},
      {"http://", false},
      {"https://", false},
      {"http:///api", false},
      {"http://:80", false},
      {"api", false},
      {"service.example", false},
      {"//service.example", false},
      {"http:service.example", false},
      {"ftp://service.example", false},
      {"file:///etc/passwd", false},
      {"https://service.example?x=1", false},
      {"https://service.example/#part", false},
      {"https://service example", false},
      {"https://service.example\n", false},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.address);
    setenv("QUELLORIN_SERVICE_URL", entry.address, 1);
    const auto problem = serviceAddressProblem();
    EXPECT_EQ(!problem.has_value(), entry.usable);
    if (problem) {
      EXPECT_TRUE(problem->starts_with("QUELLORIN_SERVICE_URL=\"")) << *problem;
      EXPECT_EQ(problem->find('\n'), std::string::npos);
    }
  }
  if (saved)
    setenv("QUELLORIN_SERVICE_URL", saved->c_str(), 1);
  else
    unsetenv("QUELLORIN_SERVICE_URL");
}

}  // namespace
