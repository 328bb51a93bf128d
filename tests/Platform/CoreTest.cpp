#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <semaphore>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "Platform/Crypto/AES.h"
#include "Platform/Crypto/Base64.h"
#include "Platform/Crypto/DeviceIdentifier.h"
#include "Platform/Crypto/RandomBytes.h"
#include "Platform/Crypto/UUID.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Dispatch/VirtualClock.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Http/URLComponents.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

namespace {

TEST(Log, CaptureSeesEveryLineAndRestoresThePreviousSink) {
  platform::LogCapture outer;
  {
    platform::LogCapture inner;
    platform::log("[info] first");
    EXPECT_EQ(inner.text(), "[info] first\n");
  }
  platform::log("second");
  EXPECT_EQ(outer.text(), "second\n");
  EXPECT_TRUE(outer.contains("sec"));
  EXPECT_FALSE(outer.contains("first"));
}

TEST(Log, LinesFromSeveralThreadsNeverInterleave) {
  platform::LogCapture capture;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([] {
      for (int i = 0; i < 200; ++i) platform::log("abcdefghij");
    });
  }
  for (auto& writer : writers) writer.join();
  const std::string text = capture.text();
  EXPECT_EQ(text.size(), 4u * 200u * 11u);
  for (size_t at = 0; at < text.size(); at += 11) ASSERT_EQ(text.substr(at, 11), "abcdefghij\n");
}

using testsupport::ScopedEnvironmentVariable;

TEST(Paths, FollowHomeUnlessXdgVariablesAreSetToAbsolutePaths) {
  ScopedEnvironmentVariable home("HOME", "/tmp/quellorin-home");
  ScopedEnvironmentVariable config("XDG_CONFIG_HOME", nullptr);
  ScopedEnvironmentVariable documents("XDG_DOCUMENTS_DIR", nullptr);
  EXPECT_EQ(platform::homeDirectory(), "/tmp/quellorin-home");
  EXPECT_EQ(platform::applicationConfigDirectory(), "/tmp/quellorin-home/.config/quellorin");
  EXPECT_EQ(platform::documentsDirectory(), "/tmp/quellorin-home/Documents");
  ScopedEnvironmentVariable relative("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(platform::configDirectory(), "/tmp/quellorin-home/.config");
  ScopedEnvironmentVariable absolute("XDG_CONFIG_HOME", "/tmp/c");
  EXPECT_EQ(platform::configDirectory(), "/tmp/c");
  ScopedEnvironmentVariable absoluteDocuments("XDG_DOCUMENTS_DIR", "/tmp/d");
  EXPECT_EQ(platform::documentsDirectory(), "/tmp/d");
}

TEST(Environment, SharedInstancesComeFromTheInstalledEnvironment) {
  platform::VirtualEnvironment environment;
  EXPECT_EQ(platform::Clock::current(), environment.environment().clock);
  EXPECT_EQ(platform::MainQueue::main(), environment.environment().mainQueue);
  EXPECT_EQ(platform::TaskPool::shared(), environment.environment().taskPool);
  EXPECT_EQ(platform::NotificationCenter::defaultCenter(), environment.environment().notificationCenter);
  EXPECT_EQ(platform::Clock::current().get(), &environment.clock());
}

TEST(Environment, AVirtualEnvironmentRestoresThePreviousOneAndNoneMeansAnError) {
  const auto before = platform::Environment::install(nullptr);
  EXPECT_THROW(platform::Environment::current(), std::logic_error);
  EXPECT_THROW(platform::MainQueue::main(), std::logic_error);
  {
    platform::VirtualEnvironment outer;
    {
      platform::VirtualEnvironment inner;
      EXPECT_EQ(platform::Environment::current().get(), &inner.environment());
    }
    EXPECT_EQ(platform::Environment::current().get(), &outer.environment());
  }
  EXPECT_THROW(platform::Environment::current(), std::logic_error);
  platform::Environment::install(before);
}

// Points HOME at a fresh folder, without XDG_CONFIG_HOME, for its lifetime.
class TemporaryHome {
 public:
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  testsupport::TemporaryFolder folder_{"quellorin-environment-"};
  testsupport::ScopedEnvironmentVariable home_{"HOME", folder_.path().c_str()};
  testsupport::ScopedEnvironmentVariable config_{"XDG_CONFIG_HOME", nullptr};
};

TEST(EnvironmentIntegration, TheRealEnvironmentKeepsUserDefaultsInTheStandardFile) {
  TemporaryHome home;
  {
    const auto real = platform::Environment::makeSystemServices();
    ASSERT_NE(real->clock, nullptr);
    EXPECT_GT(real->clock->wallTime(), 1'600'000'000.0);
    EXPECT_NE(real->mainQueue, nullptr);
    EXPECT_NE(real->taskPool, nullptr);
    EXPECT_NE(real->notificationCenter, nullptr);
    ASSERT_NE(real->userDefaults, nullptr);
    real->userDefaults->setString("Language", "fr");
  }
  EXPECT_TRUE(std::filesystem::exists(home.path() / ".config/quellorin/user-defaults.json"));
  EXPECT_EQ(platform::Environment::makeSystemServices()->userDefaults->string("Language"), "fr");
}

TEST(Environment, EachVirtualEnvironmentStartsFreshWithItsOwnEmptyUserDefaults) {
  std::vector<std::chrono::nanoseconds> starts;
  for (int i = 0; i < 2; ++i) {
    platform::VirtualEnvironment environment;
    starts.push_back(environment.clock().monotonicTime());
    bool leftOver = false;
    platform::MainQueue::main()->asyncAfter(1.0, [&] { leftOver = true; });
    environment.advance(0.5);
    EXPECT_FALSE(leftOver);
    auto& defaults = *environment.environment().userDefaults;
    EXPECT_FALSE(defaults.contains("SessionToken"));
    defaults.setString("SessionToken", "token");
  }
  EXPECT_EQ(starts[0], starts[1]);
}

TEST(Environment, RunUntilIdleSettlesWorkBouncingBetweenThePoolAndTheMainQueue) {
  platform::VirtualEnvironment environment;
  auto mainQueue = platform::MainQueue::main();
  auto pool = platform::TaskPool::shared();
  std::vector<int> steps;  // touched on the main queue only
  std::atomic<bool> delayedRan{false};
  // pool -> main -> pool -> main, then one step that is not due yet.
  pool->async([&] {
    mainQueue->async([&] {
      steps.push_back(1);
      pool->async([&] {
        mainQueue->async([&] { steps.push_back(2); });
        mainQueue->asyncAfter(0.2, [&] { delayedRan = true; });
      });
    });
  });
  environment.runUntilIdle();
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
  EXPECT_FALSE(delayedRan);
  environment.advance(0.2);
  EXPECT_TRUE(delayedRan);
}

TEST(Environment, RunUntilRunsWorkThatAnotherThreadPostsAndAnswersWhetherTheConditionHeld) {
  platform::VirtualEnvironment environment;
  auto mainQueue = platform::MainQueue::main();
  int delivered = 0;  // touched on the main queue and the test's thread only
  std::binary_semaphore handled(0);
  // A thread of its own, as a server or a library would have: each post waits for the
  // previous one to have been handled on the main queue.
  std::thread server([&] {
    for (int i = 0; i < 3; ++i) {
      mainQueue->async([&] {
        ++delivered;
        handled.release();
      });
      handled.acquire();
    }
  });
  EXPECT_TRUE(environment.runUntil([&] { return delivered == 3; }));
  server.join();
  EXPECT_EQ(delivered, 3);
  EXPECT_FALSE(environment.runUntil([] { return false; }, 0)) << "answers whether the condition held";
}

// The serial is read first, then the machine id; blank or missing sources are passed over.
TEST(DeviceIdentifier, PrefersTheProductSerialThenTheMachineIdElseNamesAnUnknownDevice) {
  const testsupport::TemporaryFolder folder("quellorin-device-");
  const platform::DeviceIdentifierSources sources = {folder.path() / "product_serial",
                                                     folder.path() / "machine-id"};
  const auto write = [](const std::filesystem::path& path, const char* text) { std::ofstream(path) << text; };
  EXPECT_EQ(platform::readDeviceIdentifier(sources), "UnknownDeviceIdentifier");
  write(sources.machineId, "");
  EXPECT_EQ(platform::readDeviceIdentifier(sources), "UnknownDeviceIdentifier");
  write(sources.machineId, "0123456789abcdef0123456789abcdef\n");
  EXPECT_EQ(platform::readDeviceIdentifier(sources), "0123456789abcdef0123456789abcdef");
  write(sources.productSerial, " \n");
  EXPECT_EQ(platform::readDeviceIdentifier(sources), "0123456789abcdef0123456789abcdef");
  write(sources.productSerial, "  C02XK1JHJG5J \n");
  EXPECT_EQ(platform::readDeviceIdentifier(sources), "C02XK1JHJG5J");
}

TEST(URLComponents, SplitsTheQueryIntoDecodedItemsAndRejectsTextThatIsNoURL) {
  const auto url = platform::URLComponents::parse("quellorin://login?token=a%20b&flag&empty=&x=1+2");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->scheme(), "quellorin");
  EXPECT_EQ(url->host(), "login");
  const auto items = url->queryItems();
  ASSERT_TRUE(items);
  const std::vector<platform::URLQueryItem> expected = {
      {"token", "a b"}, {"flag", std::nullopt}, {"empty", ""}, {"x", "1+2"}};
  EXPECT_EQ(*items, expected);
  // No query is not an empty one.
  EXPECT_FALSE(platform::URLComponents::parse("quellorin://login")->queryItems());
  EXPECT_FALSE(platform::URLComponents::parse("quellorin://login#a?b")->queryItems());
  const auto empty = platform::URLComponents::parse("quellorin://login?")->queryItems();
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(platform::URLComponents::parse("not a url"));
  EXPECT_FALSE(platform::URLComponents::parse(""));
  EXPECT_FALSE(platform::URLComponents::parse("http://exa mple.com/"));
  // The parser would stop at the NUL and read the shorter URL before it.
  EXPECT_FALSE(platform::URLComponents::parse(std::string_view("quellorin://login?token=a\0b", 27)));
}

TEST(URLComponents, EveryAmpersandSeparatesTwoItemsAtEitherEnd) {
  const platform::URLQueryItem blank{"", std::nullopt};
  const std::vector<std::pair<const char*, std::vector<platform::URLQueryItem>>> cases = {
      {"quellorin://login?a=1&", {{"a", "1"}, blank}},
      {"quellorin://login?&a=1", {blank, {"a", "1"}}},
      {"quellorin://login?&", {blank, blank}},
      {"quellorin://login?a&&b#c&d", {{"a", std::nullopt}, blank, {"b", std::nullopt}}},
  };
  for (const auto& [text, expected] : cases) {
    const auto url = platform::URLComponents::parse(text);
    ASSERT_TRUE(url) << text;
    EXPECT_EQ(url->queryItems(), expected) << text;
  }
}

std::string fromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

TEST(RecordingAlertPresenter, AnswersAsScriptedAndRecordsInOrder) {
  platform::RecordingAlertPresenter presenter;
  presenter.scriptAnswer(1);
  const platform::Alert first{platform::AlertStyle::critical, "first", "", {"OK", "Cancel"}};
  const platform::Alert second{platform::AlertStyle::warning, "second", "more", {"OK"}};
  std::vector<std::string> seenAtShow;
  presenter.setOnShow([&](const platform::Alert& alert) { seenAtShow.push_back(alert.messageText); });
  EXPECT_EQ(presenter.runModal(first), 1u);
  EXPECT_EQ(presenter.runModal(second), 0u);  // the script has run out: the default button
  presenter.orderOut(second);
  using Kind = platform::RecordingAlertPresenter::Entry::Kind;
  const std::vector<platform::RecordingAlertPresenter::Entry> expected = {
      {Kind::shown, first}, {Kind::shown, second}, {Kind::orderedOut, second}};
  EXPECT_EQ(presenter.entries(), expected);
  EXPECT_EQ(presenter.shownAlerts(), (std::vector<platform::Alert>{first, second}));
  EXPECT_EQ(seenAtShow, (std::vector<std::string>{"first", "second"}));
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
