#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"
#include "Platform/Core/AtomicFile.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Defaults/DefaultsFile.h"
#include "Platform/Defaults/UserDefaults.h"

namespace {

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder for the life of the object, then
// restores both and removes the folder.
class DefaultsTestHome {
 public:
  DefaultsTestHome() { std::filesystem::create_directories(root() / "home"); }

  DefaultsTestHome(const DefaultsTestHome&) = delete;
  DefaultsTestHome& operator=(const DefaultsTestHome&) = delete;

  const std::filesystem::path& root() const { return folder_.path(); }

 private:
  // Declared first: the folder outlives the variables that point into it.
  testsupport::TemporaryFolder folder_{"quellorin-defaults-"};
  testsupport::ScopedEnvironmentVariable home_{"HOME", (root() / "home").c_str()};
  testsupport::ScopedEnvironmentVariable config_{"XDG_CONFIG_HOME", (root() / "config").c_str()};
};

using platform::DefaultsBytes;
using platform::DefaultsDate;
using platform::DefaultsValue;
using platform::UserDefaults;

DefaultsValue text(std::string value) {
  return DefaultsValue(std::in_place_type<std::string>, std::move(value));
}
DefaultsValue integer(std::int64_t value) { return DefaultsValue(std::in_place_type<std::int64_t>, value); }
DefaultsValue real(double value) { return DefaultsValue(std::in_place_type<double>, value); }
DefaultsValue truth(bool value) { return DefaultsValue(std::in_place_type<bool>, value); }
DefaultsValue json(nlohmann::json value) {
  return DefaultsValue(std::in_place_type<nlohmann::json>, std::move(value));
}
DefaultsValue bytes(DefaultsBytes value) {
  return DefaultsValue(std::in_place_type<DefaultsBytes>, std::move(value));
}
DefaultsValue date(std::int64_t nanoseconds) {
  return DefaultsValue(std::in_place_type<DefaultsDate>, DefaultsDate(std::chrono::nanoseconds(nanoseconds)));
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// --- Present versus absent -------------------------------------------------------------

TEST(UserDefaults, AbsentKeyReadsAsNothingFalseAndZeroWhileEmptyTextFalseAndZeroArePresent) {
  auto defaults = UserDefaults::inMemory();
  EXPECT_FALSE(defaults->contains("SessionToken"));
  EXPECT_FALSE(defaults->object("SessionToken"));
  EXPECT_FALSE(defaults->string("SessionToken"));
  EXPECT_FALSE(defaults->bool_("hasSeenOnboarding"));
  EXPECT_EQ(defaults->integer("apiUsageCount"), 0);
  EXPECT_EQ(defaults->double_("ratio"), 0.0);
  EXPECT_FALSE(defaults->date("tokenExpireAt"));
  EXPECT_FALSE(defaults->data("avatar"));
  EXPECT_FALSE(defaults->json("subscriptionVersion"));
  EXPECT_TRUE(defaults->dictionaryRepresentation().empty());

  defaults->setString("SessionToken", "");
  defaults->setBool("isFirstLaunch", false);
  defaults->setInteger("apiUsageCount", 0);
  EXPECT_TRUE(defaults->contains("SessionToken"));
  EXPECT_EQ(defaults->string("SessionToken"), std::optional<std::string>(""));
  EXPECT_TRUE(defaults->contains("isFirstLaunch"));
  EXPECT_EQ(defaults->object("isFirstLaunch"), truth(false));
  EXPECT_EQ(defaults->object("apiUsageCount"), integer(0));
  EXPECT_EQ(defaults->dictionaryRepresentation().size(), 3u);
}

TEST(UserDefaults, EachSetterStoresItsOwnTypeReplacingAnyEarlierAndDatesAndBytesReadOnlyAsThemselves) {
  auto defaults = UserDefaults::inMemory();
  const DefaultsDate when{std::chrono::nanoseconds(1'700'000'000'123'456'789)};
  defaults->setString("k", "42");
  EXPECT_EQ(defaults->object("k"), text("42"));
  defaults->setInteger("k", 42);
  EXPECT_EQ(defaults->object("k"), integer(42));
  defaults->setDouble("k", 42.5);
  EXPECT_EQ(defaults->object("k"), real(42.5));
  defaults->setBool("k", true);
  EXPECT_EQ(defaults->object("k"), truth(true));
  defaults->setDate("k", when);
  EXPECT_EQ(defaults->object("k"), DefaultsValue(when));
  EXPECT_EQ(defaults->date("k"), when);
  defaults->setData("k", {0, 1, 255});
  EXPECT_EQ(defaults->data("k"), (DefaultsBytes{0, 1, 255}));
  defaults->setJSON("k", {{"tier", "pro"}});
  EXPECT_EQ(defaults->object("k"), json({{"tier", "pro"}}));
  defaults->set("k", text("again"));
  EXPECT_EQ(defaults->string("k"), "again");
  EXPECT_EQ(defaults->dictionaryRepresentation().size(), 1u);

  defaults->setDate("tokenExpireAt", DefaultsDate(std::chrono::seconds(1'700'000'000)));
  defaults->setData("avatar", {1, 2, 3});
  defaults->setInteger("number", 5);
  EXPECT_FALSE(defaults->string("tokenExpireAt"));
  EXPECT_EQ(defaults->integer("tokenExpireAt"), 0);
  EXPECT_FALSE(defaults->bool_("avatar"));
  EXPECT_FALSE(defaults->string("avatar"));
  EXPECT_FALSE(defaults->json("avatar"));
  EXPECT_FALSE(defaults->date("number"));
  EXPECT_FALSE(defaults->data("number"));
}

TEST(UserDefaults, RemoveMakesTheKeyAbsentAndLeavesOthers) {
  auto defaults = UserDefaults::inMemory();
  defaults->setString("SessionToken", "abc");
  defaults->setString("userId", "u1");
  defaults->remove("SessionToken");
  EXPECT_FALSE(defaults->contains("SessionToken"));
  EXPECT_FALSE(defaults->string("SessionToken"));
  EXPECT_EQ(defaults->string("userId"), "u1");
  defaults->remove("SessionToken");  // absent already: no effect
  EXPECT_EQ(defaults->dictionaryRepresentation().size(), 1u);
}

TEST(UserDefaults, IllFormedUtf8InKeysAndTextsIsStoredAsReplacementCharacters) {
  auto defaults = UserDefaults::inMemory();
  defaults->setString("name\xff", "a\xc3(b");
  EXPECT_EQ(defaults->string("name\xef\xbf\xbd"), "a\xef\xbf\xbd(b");
  // Looked up with the same ill-formed key, it is found under the same made-valid key.
  EXPECT_EQ(defaults->string("name\xff"), "a\xef\xbf\xbd(b");
  EXPECT_TRUE(defaults->contains("name\xfe"));
  defaults->remove("name\xff");
  EXPECT_FALSE(defaults->contains("name\xef\xbf\xbd"));
  defaults->setJSON("plan", {{"tier\xfe", "x\x80"}});
  EXPECT_EQ(defaults->json("plan"), nlohmann::json({{"tier\xef\xbf\xbd", "x\xef\xbf\xbd"}}));
  defaults->setString("valid", "⌘ + ⇧ + ␣");
  EXPECT_EQ(defaults->string("valid"), "⌘ + ⇧ + ␣");
}

// Nested arrays, built without recursion.
nlohmann::json nestedArrays(std::size_t levels) {
  nlohmann::json outer = nlohmann::json::array();
  nlohmann::json* innermost = &outer;
  for (std::size_t level = 1; level < levels; ++level) {
    innermost->push_back(nlohmann::json::array());
    innermost = &innermost->back();
  }
  return outer;
}

TEST(UserDefaults, JsonNestedTooDeeplyIsRefusedWithALogLineAndTheOldValueStays) {
  auto defaults = UserDefaults::inMemory();
  defaults->setJSON("plan", nestedArrays(platform::kMaxJSONNesting));
  EXPECT_EQ(defaults->json("plan"), nestedArrays(platform::kMaxJSONNesting));
  platform::LogCapture log;
  defaults->setJSON("plan", nestedArrays(100000));
  EXPECT_TRUE(log.contains("[error] UserDefaults: not storing \"plan\"")) << log.text();
  EXPECT_EQ(defaults->json("plan"), nestedArrays(platform::kMaxJSONNesting));
  EXPECT_TRUE(platform::nestedDeeperThan(nestedArrays(3), 2));
  EXPECT_FALSE(platform::nestedDeeperThan(nestedArrays(3), 3));
  EXPECT_FALSE(platform::nestedDeeperThan(nlohmann::json(5), 0));
}

// --- Typed reads of values of another type ------------------------------------------------

TEST(DefaultsValueReads, TextOfOtherTypes) {
  EXPECT_EQ(platform::textOf(integer(42)), "42");
  EXPECT_EQ(platform::textOf(integer(kMin)), "-9223372036854775808");
  EXPECT_EQ(platform::textOf(real(2.5)), "2.5");
  EXPECT_EQ(platform::textOf(real(100.0)), "100");
  EXPECT_EQ(platform::textOf(real(0.1)), "0.1");
  EXPECT_EQ(platform::textOf(real(std::nan(""))), "nan");
  EXPECT_EQ(platform::textOf(truth(true)), "1");
  EXPECT_EQ(platform::textOf(truth(false)), "0");
  EXPECT_EQ(platform::textOf(json("pro")), "pro");
  EXPECT_EQ(platform::textOf(json(7)), "7");
  EXPECT_FALSE(platform::textOf(json({{"tier", "pro"}})));
  EXPECT_FALSE(platform::textOf(json(nullptr)));
  EXPECT_FALSE(platform::textOf(json({1, 2})));
  EXPECT_FALSE(platform::textOf(bytes({65, 66})));
  EXPECT_FALSE(platform::textOf(date(0)));
}

TEST(DefaultsValueReads, TruthAndJsonOfOtherTypes) {
  for (const char* yes : {"YES", "yes", "true", "T", "1", "  7", "007", "-3", "+1", "y"}) {
    EXPECT_TRUE(platform::truthOf(text(yes))) << yes;
  }
  for (const char* no : {"", "NO", "no", "false", "0", "000", "  ", "-", "abc", "0.5"}) {
    EXPECT_FALSE(platform::truthOf(text(no))) << no;
  }
  EXPECT_TRUE(platform::truthOf(integer(-1)));
  EXPECT_FALSE(platform::truthOf(integer(0)));
  EXPECT_TRUE(platform::truthOf(real(0.25)));
  EXPECT_FALSE(platform::truthOf(real(0.0)));
  EXPECT_TRUE(platform::truthOf(json(true)));
  EXPECT_FALSE(platform::truthOf(json(false)));
  EXPECT_TRUE(platform::truthOf(json("yes")));
  EXPECT_FALSE(platform::truthOf(json({{"a", 1}})));
  EXPECT_FALSE(platform::truthOf(bytes({1})));

  EXPECT_EQ(platform::jsonOf(text("pro")), nlohmann::json("pro"));
  EXPECT_EQ(platform::jsonOf(integer(3)), nlohmann::json(3));
  EXPECT_EQ(platform::jsonOf(truth(false)), nlohmann::json(false));
  EXPECT_EQ(platform::jsonOf(json(nullptr)), nlohmann::json(nullptr));
  EXPECT_FALSE(platform::jsonOf(date(1)));
  EXPECT_FALSE(platform::jsonOf(bytes({1})));
}

TEST(DefaultsValueReads, IntegerAndDoubleOfOtherTypes) {
  EXPECT_EQ(platform::integerOf(text("17")), 17);
  EXPECT_EQ(platform::integerOf(text("  -17 apples")), -17);
  EXPECT_EQ(platform::integerOf(text("+8")), 8);
  EXPECT_EQ(platform::integerOf(text("3.9")), 3);
  EXPECT_EQ(platform::integerOf(text("abc")), 0);
  EXPECT_EQ(platform::integerOf(text("")), 0);
  EXPECT_EQ(platform::integerOf(text("9223372036854775807")), kMax);
  EXPECT_EQ(platform::integerOf(text("9223372036854775808")), kMax);
  EXPECT_EQ(platform::integerOf(text("-9223372036854775808")), kMin);
  EXPECT_EQ(platform::integerOf(text("-99999999999999999999999")), kMin);
  EXPECT_EQ(platform::integerOf(real(-2.9)), -2);
  EXPECT_EQ(platform::integerOf(real(1e30)), kMax);
  EXPECT_EQ(platform::integerOf(real(-1e30)), kMin);
  EXPECT_EQ(platform::integerOf(real(std::nan(""))), 0);
  EXPECT_EQ(platform::integerOf(real(std::numeric_limits<double>::infinity())), kMax);
  EXPECT_EQ(platform::integerOf(truth(true)), 1);
  EXPECT_EQ(platform::integerOf(json(12)), 12);
  EXPECT_EQ(platform::integerOf(json(std::numeric_limits<std::uint64_t>::max())), kMax);
  EXPECT_EQ(platform::integerOf(json("44")), 44);
  EXPECT_EQ(platform::integerOf(json({1})), 0);
  EXPECT_EQ(platform::integerOf(date(5'000'000'000)), 0);

  EXPECT_EQ(platform::realOf(text("2.5 kg")), 2.5);
  EXPECT_EQ(platform::realOf(text(" +1e3")), 1000.0);
  EXPECT_EQ(platform::realOf(text("-0.5")), -0.5);
  EXPECT_EQ(platform::realOf(text("x1")), 0.0);
  EXPECT_EQ(platform::realOf(text("1e999")), 0.0);
  EXPECT_EQ(platform::realOf(integer(kMax)), 9223372036854775807.0);
  EXPECT_EQ(platform::realOf(truth(true)), 1.0);
  EXPECT_EQ(platform::realOf(json(0.75)), 0.75);
  EXPECT_EQ(platform::realOf(bytes({})), 0.0);
}

TEST(UserDefaults, TypedReadsThroughTheStoreUseTheSameRules) {
  auto defaults = UserDefaults::inMemory();
  defaults->setInteger("currentPipelineId", 12);
  defaults->setString("maxFastCount", "100");
  defaults->setJSON("subscriptionVersion", "pro");
  EXPECT_EQ(defaults->string("currentPipelineId"), "12");
  EXPECT_EQ(defaults->integer("maxFastCount"), 100);
  EXPECT_TRUE(defaults->bool_("currentPipelineId"));
  EXPECT_EQ(defaults->double_("maxFastCount"), 100.0);
  EXPECT_EQ(defaults->string("subscriptionVersion"), "pro");
  // The stored type is kept: a text of digits is not an integer object.
  EXPECT_FALSE(std::holds_alternative<std::int64_t>(*defaults->object("maxFastCount")));
}

// --- Observers -------------------------------------------------------------------------------

struct Call {
  std::string key;
  std::optional<DefaultsValue> value;
};

TEST(UserDefaultsObservers, CalledOncePerChangeOfValueOrTypeWithTheNewValue) {
  auto defaults = UserDefaults::inMemory();
  std::vector<Call> calls;
  defaults->addObserver("Language", [&](const std::string& key, const std::optional<DefaultsValue>& value) {
    calls.push_back({key, value});
  });
  defaults->setString("Language", "en");
  defaults->setString("Language", "en");      // unchanged: no call
  defaults->setString("Appearance", "dark");  // another key: no call
  defaults->setString("Language", "fr");
  defaults->remove("Language");
  defaults->remove("Language");  // absent already: no call
  defaults->setInteger("Language", 1);

  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].key, "Language");
  EXPECT_EQ(calls[0].value, text("en"));
  EXPECT_EQ(calls[1].value, text("fr"));
  EXPECT_FALSE(calls[2].value);
  EXPECT_EQ(calls[3].value, integer(1));

  // Changing only the type is a change.
  int typeChanges = 0;
  defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) { ++typeChanges; });
  defaults->setInteger("k", 1);
  defaults->setBool("k", true);
  defaults->setDouble("k", 1.0);
  defaults->setDouble("k", 1.0);
  EXPECT_EQ(typeChanges, 3);
}

TEST(UserDefaultsObservers, DoublesAreComparedAsStoredSoNaNIsNoChangeAndTheSignOfZeroIs) {
  auto defaults = UserDefaults::inMemory();
  int calls = 0;
  defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) { ++calls; });
  defaults->setDouble("k", std::nan(""));
  defaults->setDouble("k", std::nan(""));
  EXPECT_EQ(calls, 1);
  defaults->setDouble("k", -0.0);
  defaults->setDouble("k", 0.0);
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(std::signbit(defaults->double_("k")));
}

TEST(UserDefaultsObservers, RemovedObserversAreNotCalledEvenWhenRemovedDuringDelivery) {
  auto defaults = UserDefaults::inMemory();
  int first = 0;
  int second = 0;
  const auto token =
      defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) { ++first; });
  defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) { ++second; });
  defaults->setInteger("k", 1);
  defaults->removeObserver(token);
  defaults->removeObserver(token);  // twice: ignored
  defaults->removeObserver(UserDefaults::ObserverToken{9999});
  defaults->setInteger("k", 2);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);

  int selfRemoving = 0;
  int removedByOther = 0;
  UserDefaults::ObserverToken self;
  UserDefaults::ObserverToken other;
  self = defaults->addObserver("j", [&](const std::string&, const std::optional<DefaultsValue>&) {
    ++selfRemoving;
    defaults->removeObserver(self);
    defaults->removeObserver(other);
  });
  other = defaults->addObserver(
      "j", [&](const std::string&, const std::optional<DefaultsValue>&) { ++removedByOther; });
  defaults->setInteger("j", 1);
  defaults->setInteger("j", 2);
  EXPECT_EQ(selfRemoving, 1);
  // Removed during the first delivery, before its turn came: never called.
  EXPECT_EQ(removedByOther, 0);
}

TEST(UserDefaultsObservers, ObserverSeesTheNewValueAndMayWriteTheStore) {
  auto defaults = UserDefaults::inMemory();
  std::vector<std::int64_t> seen;
  // Clamps the count to 10 from inside its own observer, then sees the clamped value.
  defaults->addObserver("apiUsageCount", [&](const std::string& key, const std::optional<DefaultsValue>&) {
    const std::int64_t now = defaults->integer(key);
    seen.push_back(now);
    if (now > 10) defaults->setInteger(key, 10);
  });
  std::vector<std::string> mirrored;
  defaults->addObserver("mirror", [&](const std::string&, const std::optional<DefaultsValue>& value) {
    mirrored.push_back(*platform::textOf(*value));
  });
  defaults->addObserver("apiUsageCount", [&](const std::string&, const std::optional<DefaultsValue>& value) {
    defaults->setString("mirror", *platform::textOf(*value));
  });

  defaults->setInteger("apiUsageCount", 25);
  EXPECT_EQ(defaults->integer("apiUsageCount"), 10);
  // First the written value, then the clamped one from the nested change.
  EXPECT_EQ(seen, (std::vector<std::int64_t>{25, 10}));
  // The mirror saw the clamped value from the nested change and the original one after it.
  EXPECT_EQ(mirrored, (std::vector<std::string>{"10", "25"}));
  EXPECT_EQ(defaults->string("mirror"), "25");
}

TEST(UserDefaultsObservers, CalledOnTheThreadThatMadeTheChange) {
  auto defaults = UserDefaults::inMemory();
  std::thread::id calledOn;
  defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) {
    calledOn = std::this_thread::get_id();
  });
  std::thread writer([&] { defaults->setBool("k", true); });
  const auto writerId = writer.get_id();
  writer.join();
  EXPECT_EQ(calledOn, writerId);
}

// --- Threads ---------------------------------------------------------------------------------

TEST(UserDefaultsThreads, ManyThreadsWritingAndReadingAtOnceLoseNothing) {
  auto defaults = UserDefaults::inMemory();
  constexpr int kThreads = 8;
  constexpr int kWrites = 300;
  std::atomic<int> observed{0};
  for (int t = 0; t < kThreads; ++t) {
    defaults->addObserver("key" + std::to_string(t),
                          [&](const std::string&, const std::optional<DefaultsValue>&) { ++observed; });
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string key = "key" + std::to_string(t);
      for (int i = 1; i <= kWrites; ++i) {
        defaults->setInteger(key, i);
        // Each thread reads its own key back and a neighbour's, while all write.
        ASSERT_EQ(defaults->integer(key), i);
        (void)defaults->string("key" + std::to_string((t + 1) % kThreads));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(observed.load(), kThreads * kWrites);
  const auto all = defaults->dictionaryRepresentation();
  ASSERT_EQ(all.size(), static_cast<std::size_t>(kThreads));
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(defaults->integer("key" + std::to_string(t)), kWrites);
}

using namespace std::string_literals;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

class UserDefaultsFileIntegration : public ::testing::Test {
 protected:
  DefaultsTestHome home_;
  const std::filesystem::path file_ = UserDefaults::standardFilePath();
};

TEST_F(UserDefaultsFileIntegration,
       TheFileIsMadeInTheConfigFolderAtTheFirstChangeForTheOwnerOnlyWhateverTheUmask) {
  EXPECT_EQ(file_, home_.root() / "config" / "quellorin" / "user-defaults.json");
  EXPECT_EQ(file_.parent_path(), platform::applicationConfigDirectory());

  const mode_t previous = ::umask(0);
  auto defaults = UserDefaults::openFile(file_);
  EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
  EXPECT_FALSE(std::filesystem::exists(file_.parent_path()));
  defaults->setString("SessionToken", "secret");
  ::umask(previous);
  EXPECT_TRUE(std::filesystem::exists(file_));
  struct stat status {};
  ASSERT_EQ(::stat(file_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat(file_.parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0700u);
}

TEST_F(UserDefaultsFileIntegration, EveryTypeSurvivesARestartWithItsType) {
  const DefaultsDate now{std::chrono::nanoseconds(1'733'486'400'123'456'789)};
  const DefaultsDate before1970{std::chrono::nanoseconds(-86'400'000'000'001)};
  const DefaultsBytes allBytes = [] {
    DefaultsBytes bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<std::uint8_t>(b));
    return bytes;
  }();
  const nlohmann::json plan = {
      {"tier", "专业版"}, {"seats", 3}, {"trial", nullptr}, {"tags", {"a", 1.5, false}}};
  {
    auto defaults = UserDefaults::openStandard();
    defaults->setString("GlobalShortcut", "⌘ + ⇧ + ␣");
    defaults->setString("SessionToken", "");
    defaults->setString("digits", "42");
    defaults->setString("escapes", "line\nbreak \"quoted\" tab\t nul\0after"s);
    defaults->setBool("isFirstLaunch", false);
    defaults->setBool("hasSeenOnboarding", true);
    defaults->setInteger("apiUsageCount", 42);
    defaults->setInteger("max", std::numeric_limits<std::int64_t>::max());
    defaults->setInteger("min", std::numeric_limits<std::int64_t>::min());
    defaults->setDouble("tenth", 0.1);
    defaults->setDouble("whole", 3.0);
    defaults->setDouble("negativeZero", -0.0);
    defaults->setDouble("tiny", std::numeric_limits<double>::denorm_min());
    defaults->setDouble("huge", std::numeric_limits<double>::max());
    defaults->setDouble("notANumber", std::numeric_limits<double>::quiet_NaN());
    defaults->setDouble("infinity", -std::numeric_limits<double>::infinity());
    defaults->setDate("tokenExpireAt", now);
    defaults->setDate("old", before1970);
    defaults->setData("allBytes", allBytes);
    defaults->setData("noBytes", {});
    defaults->setJSON("subscriptionVersion", plan);
    defaults->setJSON("jsonText", "pro");
    defaults->setJSON("jsonNull", nullptr);
  }
  auto reopened = UserDefaults::openStandard();
  EXPECT_EQ(reopened->object("GlobalShortcut"), DefaultsValue(std::string("⌘ + ⇧ + ␣")));
  EXPECT_EQ(reopened->object("SessionToken"), DefaultsValue(std::string()));
  EXPECT_EQ(reopened->object("digits"), DefaultsValue(std::string("42")));
  EXPECT_EQ(reopened->string("escapes"), "line\nbreak \"quoted\" tab\t nul\0after"s);
  EXPECT_EQ(reopened->object("isFirstLaunch"), DefaultsValue(false));
  EXPECT_EQ(reopened->object("hasSeenOnboarding"), DefaultsValue(true));
  EXPECT_EQ(reopened->object("apiUsageCount"), DefaultsValue(std::int64_t{42}));
  EXPECT_EQ(reopened->integer("max"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(reopened->integer("min"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(reopened->object("tenth"), DefaultsValue(0.1));
  EXPECT_EQ(reopened->object("whole"), DefaultsValue(3.0));
  EXPECT_TRUE(std::signbit(reopened->double_("negativeZero")));
  EXPECT_EQ(reopened->double_("tiny"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(reopened->double_("huge"), std::numeric_limits<double>::max());
  EXPECT_TRUE(std::isnan(std::get<double>(*reopened->object("notANumber"))));
  EXPECT_EQ(reopened->object("infinity"), DefaultsValue(-std::numeric_limits<double>::infinity()));
  EXPECT_EQ(reopened->date("tokenExpireAt"), now);
  EXPECT_EQ(reopened->date("old"), before1970);
  EXPECT_EQ(reopened->data("allBytes"), allBytes);
  EXPECT_EQ(reopened->object("noBytes"), DefaultsValue(DefaultsBytes{}));
  EXPECT_EQ(reopened->object("subscriptionVersion"), DefaultsValue(plan));
  EXPECT_EQ(reopened->object("jsonText"), DefaultsValue(nlohmann::json("pro")));
  EXPECT_EQ(reopened->object("jsonNull"), DefaultsValue(nlohmann::json(nullptr)));
  EXPECT_EQ(reopened->dictionaryRepresentation().size(), 23u);
}

TEST_F(UserDefaultsFileIntegration, JsonAtTheDeepestAcceptedNestingSurvivesARestart) {
  nlohmann::json deepest = nlohmann::json::array();
  nlohmann::json* innermost = &deepest;
  // Arrays and objects in turn, one level each.
  for (std::size_t level = 1; level < platform::kMaxJSONNesting; ++level) {
    if (innermost->is_array()) {
      innermost->push_back(nlohmann::json::object());
      innermost = &innermost->back();
    } else {
      innermost = &((*innermost)["level" + std::to_string(level)] = nlohmann::json::array({level}));
    }
  }
  ASSERT_FALSE(platform::nestedDeeperThan(deepest, platform::kMaxJSONNesting));
  UserDefaults::openFile(file_)->setJSON("deep", deepest);
  platform::LogCapture log;
  EXPECT_EQ(UserDefaults::openFile(file_)->json("deep"), deepest);
  EXPECT_EQ(log.text(), "");
}

TEST_F(UserDefaultsFileIntegration, RemovalSurvivesARestartAndObserversAreCalledOnceTheFileHoldsTheChange) {
  {
    auto defaults = UserDefaults::openFile(file_);
    defaults->setString("SessionToken", "t");
    defaults->setString("userId", "u");
    defaults->remove("SessionToken");
  }
  auto reopened = UserDefaults::openFile(file_);
  EXPECT_FALSE(reopened->contains("SessionToken"));
  EXPECT_EQ(reopened->string("userId"), "u");

  auto defaults = UserDefaults::openFile(file_);
  std::vector<std::optional<DefaultsValue>> inFile;
  defaults->addObserver("SessionToken", [&](const std::string& key, const std::optional<DefaultsValue>&) {
    const auto stored = platform::decodeDefaults(readFile(file_)).values;
    const auto found = stored.find(key);
    inFile.push_back(found == stored.end() ? std::nullopt : std::optional(found->second));
  });
  defaults->setString("SessionToken", "t1");
  defaults->remove("SessionToken");
  ASSERT_EQ(inFile.size(), 2u);
  EXPECT_EQ(inFile[0], DefaultsValue(std::string("t1")));
  EXPECT_FALSE(inFile[1]);
}

TEST_F(UserDefaultsFileIntegration, TheFileIsReplacedAtEveryChangeAndOnlyThen) {
  auto defaults = UserDefaults::openFile(file_);
  defaults->setInteger("apiUsageCount", 1);
  struct stat first {};
  ASSERT_EQ(::stat(file_.c_str(), &first), 0);
  defaults->setInteger("apiUsageCount", 1);  // unchanged: the same file stays
  struct stat second {};
  ASSERT_EQ(::stat(file_.c_str(), &second), 0);
  EXPECT_EQ(first.st_ino, second.st_ino);
  defaults->setInteger("apiUsageCount", 2);  // a new file is renamed into place
  struct stat third {};
  ASSERT_EQ(::stat(file_.c_str(), &third), 0);
  EXPECT_NE(first.st_ino, third.st_ino);
  EXPECT_EQ(platform::decodeDefaults(readFile(file_)).values.at("apiUsageCount"),
            DefaultsValue(std::int64_t{2}));
  // No temporary file is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file_.parent_path()))
    ++entries;
  EXPECT_EQ(entries, 1);
}

// A file that cannot be used is moved aside whole, with a log line, and the store starts empty
// and works.
TEST_F(UserDefaultsFileIntegration,
       UnusableFileIsMovedAsideNeverOverAnEarlierOneLoggedAndTheStoreStartsEmpty) {
  const std::string valid = platform::encodeDefaults(
      {{"Language", DefaultsValue(std::string("fr"))}, {"apiUsageCount", DefaultsValue(std::int64_t{7})}});
  const struct {
    const char* what;
    std::string contents;
  } cases[] = {
      {"truncated", valid.substr(0, valid.size() / 2)},
      {"garbage", "\x01\x02 not json at all \xff"},
      {"empty", ""},
      {"another JSON document", R"({"Language": "fr"})"},
      {"no format", R"({"values": {}})"},
      {"a format that is not a whole number", R"({"format": "1", "values": {}})"},
      {"a format below the first", R"({"format": 0, "values": {}})"},
      {"a negative format", R"({"format": -1, "values": {}})"},
      {"a fractional format", R"({"format": 1.5, "values": {}})"},
      {"no values object", R"({"format": 1, "values": []})"},
      {"number out of range", R"({"format": 1, "values": {"k": {"type": "double", "value": 1e999}}})"},
  };
  for (const auto& broken : cases) {
    SCOPED_TRACE(broken.what);
    writeFile(file_, broken.contents);
    platform::LogCapture log;
    auto defaults = UserDefaults::openFile(file_);
    EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
    EXPECT_TRUE(log.contains("[error] UserDefaults: cannot use " + file_.string())) << log.text();
    EXPECT_TRUE(log.contains("moved it aside to " + file_.string() + ".corrupt")) << log.text();
    auto aside = file_;
    aside += ".corrupt";
    EXPECT_EQ(readFile(aside), broken.contents);
    EXPECT_FALSE(std::filesystem::exists(file_));

    defaults->setString("Language", "en");
    EXPECT_EQ(UserDefaults::openFile(file_)->string("Language"), "en");
    std::filesystem::remove(aside);
  }

  platform::LogCapture log;
  writeFile(file_, "first broken");
  UserDefaults::openFile(file_);
  writeFile(file_, "second broken");
  UserDefaults::openFile(file_);
  auto first = file_;
  first += ".corrupt";
  auto second = file_;
  second += ".corrupt-2";
  EXPECT_EQ(readFile(first), "first broken");
  EXPECT_EQ(readFile(second), "second broken");
}

// One entry that does not read costs that entry only; the whole file is kept in a copy,
// since the next write leaves the entry out.
TEST_F(UserDefaultsFileIntegration, EntriesThatDoNotReadAreLeftOutAndTheRestKept) {
  const struct {
    const char* what;
    std::string entry;
    std::string problem;
  } cases[] = {
      {"unknown type tag", R"({"type": "color", "value": "red"})", "unknown type \"color\""},
      {"value that does not fit its tag", R"({"type": "integer", "value": "7"})",
       "expected a 64-bit integer"},
      {"bytes that are not base64", R"({"type": "bytes", "value": "@@@@"})", "expected base64 text"},
      {"integer out of range", R"({"type": "integer", "value": 9223372036854775808})",
       "expected a 64-bit integer"},
      {"no type", R"({"value": 1})", "expected an object with a type and a value"},
      {"not an object", "17", "expected an object with a type and a value"},
      {"value nested too deeply",
       R"({"type": "json", "value": )" + std::string(100000, '[') + std::string(100000, ']') + "}",
       "nested too deeply"},
  };
  for (const auto& broken : cases) {
    SCOPED_TRACE(broken.what);
    const std::string contents = R"({"format": 1, "values": {"Language": {"type": "text", "value": "fr"},
        "broken": )" + broken.entry +
                                 R"(, "SessionToken": {"type": "text", "value": "t1"}}})";
    writeFile(file_, contents);
    platform::LogCapture log;
    auto defaults = UserDefaults::openFile(file_);
    EXPECT_EQ(defaults->dictionaryRepresentation(),
              (platform::DefaultsMap{{"Language", DefaultsValue(std::string("fr"))},
                                     {"SessionToken", DefaultsValue(std::string("t1"))}}));
    auto aside = file_;
    aside += ".corrupt";
    EXPECT_EQ(log.text(), "[error] UserDefaults: left out 1 unreadable entries of " + file_.string() +
                              " (value \"broken\": " + broken.problem + "); kept a copy of the file at " +
                              aside.string() + "\n");
    EXPECT_EQ(readFile(aside), contents);
    EXPECT_EQ(readFile(file_), platform::encodeDefaults(defaults->dictionaryRepresentation()));

    defaults->setString("userId", "u1");
    auto reopened = UserDefaults::openFile(file_);
    EXPECT_EQ(reopened->string("SessionToken"), "t1");
    EXPECT_EQ(reopened->string("userId"), "u1");
    EXPECT_FALSE(reopened->contains("broken"));
    EXPECT_FALSE(std::filesystem::exists(aside.string() + "-2"));  // the next start found nothing to copy
    std::filesystem::remove(aside);
  }
}

// A file this version must not judge stays exactly as it is, nothing is written over it, and
// the store works in memory.
TEST_F(UserDefaultsFileIntegration, AFileThatCannotBeUsedAsItIsIsLeftUntouchedAndTheStoreRunsInMemory) {
  const std::string newer = R"({"format": 2, "values": {"SessionToken": {"type": "token", "value": "t"}}})";
  const std::string muchNewer = R"({"format": 18446744073709551615, "values": {}})";
  const struct {
    const char* what;
    std::function<void()> make;
    std::string reason;
  } cases[] = {
      {"a newer format", [&] { writeFile(file_, newer); },
       "it was written by a newer version: format 2, newer than this version's 1"},
      {"a much newer format", [&] { writeFile(file_, muchNewer); },
       "it was written by a newer version: format 18446744073709551615, newer than this version's 1"},
      {"a folder", [&] { std::filesystem::create_directories(file_); }, "it is not a regular file"},
      {"a FIFO",
       [&] {
         std::filesystem::create_directories(file_.parent_path());
         ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
       },
       "it is not a regular file"},
      {"a file over 16 MB",
       [&] {
         writeFile(file_, newer);
         std::filesystem::resize_file(file_, platform::DefaultsFile::kMaxFileBytes + 1);
       },
       "it is larger than 16 MB"},
  };
  for (const auto& untouchable : cases) {
    SCOPED_TRACE(untouchable.what);
    untouchable.make();
    const auto before = std::filesystem::status(file_).type();
    const std::string contents = std::filesystem::is_regular_file(file_) ? readFile(file_) : "";
    platform::LogCapture log;
    auto defaults = UserDefaults::openFile(file_);
    EXPECT_EQ(log.text(), "[error] UserDefaults: cannot use " + file_.string() + " (" + untouchable.reason +
                              "); leaving it untouched and keeping settings in memory only\n");
    EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
    defaults->setString("SessionToken", "in memory");
    EXPECT_EQ(defaults->string("SessionToken"), "in memory");
    EXPECT_EQ(log.text().find("cannot write"), std::string::npos) << log.text();

    EXPECT_EQ(std::filesystem::status(file_).type(), before);
    if (before == std::filesystem::file_type::regular) {
      EXPECT_EQ(readFile(file_), contents);
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file_.parent_path()))
      ++entries;
    EXPECT_EQ(entries, 1);  // nothing moved aside, no temporary file
    std::filesystem::remove_all(file_);
  }
}

TEST_F(UserDefaultsFileIntegration, AFileTheUserCannotReadIsLeftUntouched) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not deny anything to root";
  writeFile(file_, platform::encodeDefaults({{"SessionToken", DefaultsValue(std::string("t"))}}));
  std::filesystem::permissions(file_, std::filesystem::perms::none);
  platform::LogCapture log;
  auto defaults = UserDefaults::openFile(file_);
  defaults->setString("Language", "en");
  EXPECT_TRUE(log.contains("(cannot open it: Permission denied); leaving it untouched")) << log.text();
  std::filesystem::permissions(file_, std::filesystem::perms::owner_read);
  EXPECT_EQ(UserDefaults::openFile(file_)->string("SessionToken"), "t");
}

TEST_F(UserDefaultsFileIntegration, AFailedWriteIsLoggedTheValueKeptAndTheNextWriteSavesAll) {
  // A plain file where the folder should be makes every write fail.
  writeFile(file_.parent_path(), "in the way");
  std::shared_ptr<UserDefaults> defaults;
  {
    platform::LogCapture log;
    defaults = UserDefaults::openFile(file_);
    defaults->setString("SessionToken", "kept");
    EXPECT_TRUE(log.contains("[error] UserDefaults: cannot write " + file_.string())) << log.text();
  }
  EXPECT_EQ(defaults->string("SessionToken"), "kept");
  std::filesystem::remove(file_.parent_path());
  defaults->setString("userId", "u1");
  auto reopened = UserDefaults::openFile(file_);
  EXPECT_EQ(reopened->string("SessionToken"), "kept");
  EXPECT_EQ(reopened->string("userId"), "u1");
}

TEST_F(UserDefaultsFileIntegration, AReplaceThatFailsLeavesTheOldFileAndNoTemporaryFile) {
  const auto folder = home_.root() / "replace";
  std::filesystem::create_directories(folder / "target" / "inside");
  EXPECT_THROW(platform::writeFileAtomically(folder / "target", "new", 0600), std::system_error);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "target" / "inside"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1);

  platform::writeFileAtomically(folder / "plain", "old", 0640);
  platform::writeFileAtomically(folder / "plain", "new", 0640);
  EXPECT_EQ(readFile(folder / "plain"), "new");
  EXPECT_EQ(std::filesystem::status(folder / "plain").permissions(), std::filesystem::perms::owner_read |
                                                                         std::filesystem::perms::owner_write |
                                                                         std::filesystem::perms::group_read);
}

TEST_F(UserDefaultsFileIntegration, ManyThreadsWritingDifferentKeysLeaveACompleteFile) {
  constexpr int kThreads = 8;
  constexpr int kWrites = 15;
  auto defaults = UserDefaults::openFile(file_);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 1; i <= kWrites; ++i) {
        defaults->setString("thread" + std::to_string(t), std::string(static_cast<std::size_t>(i), 'x'));
        defaults->setInteger("count" + std::to_string(t), i);
      }
    });
  }
  for (auto& thread : threads) thread.join();

  const auto stored = platform::decodeDefaults(readFile(file_)).values;
  ASSERT_EQ(stored.size(), 2u * kThreads);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(stored.at("thread" + std::to_string(t)), DefaultsValue(std::string(kWrites, 'x')));
    EXPECT_EQ(stored.at("count" + std::to_string(t)), DefaultsValue(std::int64_t{kWrites}));
  }
}

// The record a writer stores: its number, and a payload long enough that a torn write would
// show, whose length and letter depend on the number.
nlohmann::json record(std::int64_t number) {
  const auto size = static_cast<std::size_t>(256 * 1024 + number % 1000);
  return {{"number", number}, {"payload", std::string(size, static_cast<char>('a' + number % 26))}};
}

// Runs in the child: rewrites the record with the next number, forever, and after each
// completed write reports the number on `report`.
[[noreturn]] void writeForever(const std::filesystem::path& file, int report) {
  auto defaults = UserDefaults::openFile(file);
  const auto stored = defaults->json("record");
  std::int64_t number = stored ? stored->at("number").get<std::int64_t>() : 0;
  while (true) {
    ++number;
    defaults->setJSON("record", record(number));
    if (::write(report, &number, sizeof number) != static_cast<ssize_t>(sizeof number)) ::_exit(1);
  }
}

// Reads one reported number; false at the end of the stream.
bool readReport(int fd, std::int64_t& number) {
  std::size_t got = 0;
  auto* bytes = reinterpret_cast<char*>(&number);
  while (got < sizeof number) {
    const ssize_t count = ::read(fd, bytes + got, sizeof number - got);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    got += static_cast<std::size_t>(count);
  }
  return true;
}

// The moments of a write at which the writer is killed, seen through inotify on the folder:
// the temporary file created, written, closed after its flush, and renamed into place.
struct KillMoment {
  const char* name;
  std::uint32_t event;
  bool onTemporaryFile;
};

constexpr KillMoment kKillMoments[] = {
    {"temporary file created", IN_CREATE, true},
    {"temporary file written", IN_MODIFY, true},
    {"temporary file flushed and closed", IN_CLOSE_WRITE, true},
    {"renamed into place", IN_MOVED_TO, false},
};

// Blocks until the folder watched by `watch` reports `moment`; false when the writer, watched
// through `writer` (a pidfd), ends first, so that a writer that dies by itself fails the test
// instead of hanging it.
bool waitFor(int watch, int writer, const KillMoment& moment, const std::string& fileName) {
  alignas(inotify_event) char buffer[4096];
  while (true) {
    pollfd ready[] = {{watch, POLLIN, 0}, {writer, POLLIN, 0}};
    if (::poll(ready, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (ready[1].revents != 0) return false;
    const ssize_t length = ::read(watch, buffer, sizeof buffer);
    if (length < 0 && errno == EINTR) continue;
    if (length <= 0) return false;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string name = event->len > 0 ? event->name : "";
      const bool temporary = name.rfind(fileName + ".tmp-", 0) == 0;
      const bool matches = moment.onTemporaryFile ? temporary : name == fileName;
      if ((event->mask & moment.event) != 0 && matches) return true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

// Kills and reaps the writer if the test stops early, so that no writer outlives the test.
class WriterGuard {
 public:
  explicit WriterGuard(pid_t pid) : pid_(pid) {}
  ~WriterGuard() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  WriterGuard(const WriterGuard&) = delete;
  WriterGuard& operator=(const WriterGuard&) = delete;

  void reaped() { pid_ = -1; }

 private:
  pid_t pid_;
};

// A writer process killed with SIGKILL at each moment of its writing, over and over: the file
// must always be one whole document, holding the last write the writer finished or the one it
// was in the middle of.
TEST(UserDefaultsCrashIntegration, WriterKilledMidWriteLeavesTheOldOrTheNewValue) {
  DefaultsTestHome home;
  const auto file = UserDefaults::standardFilePath();
  UserDefaults::openFile(file)->setJSON("record", record(0));
  std::int64_t inFile = 0;

  // The last round kills a writer with its temporary file written, so that the store opened
  // at the end has one to clear.
  constexpr int kRounds = 42;
  for (int round = 0; round < kRounds; ++round) {
    const KillMoment& moment = kKillMoments[round % std::size(kKillMoments)];
    SCOPED_TRACE("round " + std::to_string(round) + ", killed when " + moment.name);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, file.parent_path().c_str(), moment.event), 0);
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(report[0]);
      writeForever(file, report[1]);
    }
    WriterGuard guard(child);
    ::close(report[1]);
    // glibc's pidfd_open() wrapper lacks C linkage in C++; the system call has none of that.
    const int writer = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    ASSERT_GE(writer, 0);

    // Skip a different number of writes each round, then kill at the chosen moment.
    for (int skipped = 0; skipped < round % 3; ++skipped) {
      ASSERT_TRUE(waitFor(watch, writer, moment, file.filename()));
    }
    ASSERT_TRUE(waitFor(watch, writer, moment, file.filename()));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    guard.reaped();
    ASSERT_TRUE(WIFSIGNALED(status));
    ::close(watch);
    ::close(writer);
    std::int64_t finished = inFile;
    for (std::int64_t reported = 0; readReport(report[0], reported);) finished = reported;
    ::close(report[0]);

    platform::DefaultsMap stored;
    ASSERT_NO_THROW(stored = platform::decodeDefaults(readFile(file)).values);
    const auto& value = std::get<nlohmann::json>(stored.at("record"));
    inFile = value.at("number").get<std::int64_t>();
    EXPECT_TRUE(inFile == finished || inFile == finished + 1) << inFile << " after " << finished;
    EXPECT_EQ(value, record(inFile));
  }
  EXPECT_GT(inFile, kRounds / 2);

  // A store opened afterwards reads the file without complaint and clears the temporary files
  // that killed writers left behind.
  platform::LogCapture log;
  auto defaults = UserDefaults::openFile(file);
  EXPECT_EQ(defaults->json("record"), record(inFile));
  EXPECT_EQ(log.text(), "");
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    EXPECT_EQ(entry.path(), file);
  }
}

}  // namespace
