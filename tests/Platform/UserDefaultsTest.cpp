#include "Platform/Defaults/UserDefaults.h"

#include "Platform/Core/Log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

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

TEST(UserDefaults, AbsentKeyReadsAsNothingFalseAndZero) {
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
}

TEST(UserDefaults, EmptyTextFalseAndZeroArePresentValues) {
  auto defaults = UserDefaults::inMemory();
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

TEST(UserDefaults, EachSetterStoresItsOwnTypeAndReplacesAnyEarlierType) {
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
}

TEST(UserDefaults, DatesAndBytesReadOnlyAsThemselves) {
  auto defaults = UserDefaults::inMemory();
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

TEST(DefaultsValueReads, TruthOfOtherTypes) {
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
}

TEST(DefaultsValueReads, IntegerOfOtherTypes) {
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
}

TEST(DefaultsValueReads, DoubleOfOtherTypes) {
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

TEST(DefaultsValueReads, JsonOfScalarsAndAbsentForDatesAndBytes) {
  EXPECT_EQ(platform::jsonOf(text("pro")), nlohmann::json("pro"));
  EXPECT_EQ(platform::jsonOf(integer(3)), nlohmann::json(3));
  EXPECT_EQ(platform::jsonOf(truth(false)), nlohmann::json(false));
  EXPECT_EQ(platform::jsonOf(json(nullptr)), nlohmann::json(nullptr));
  EXPECT_FALSE(platform::jsonOf(date(1)));
  EXPECT_FALSE(platform::jsonOf(bytes({1})));
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

TEST(UserDefaultsObservers, CalledOncePerChangeWithTheNewValue) {
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
}

TEST(UserDefaultsObservers, ChangingOnlyTheTypeIsAChange) {
  auto defaults = UserDefaults::inMemory();
  int calls = 0;
  defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) { ++calls; });
  defaults->setInteger("k", 1);
  defaults->setBool("k", true);
  defaults->setDouble("k", 1.0);
  defaults->setDouble("k", 1.0);
  EXPECT_EQ(calls, 3);
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

TEST(UserDefaultsObservers, RemovedObserverIsNotCalledAndOthersStay) {
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

TEST(UserDefaultsObservers, ObserverMayRemoveItselfAndOthersDuringDelivery) {
  auto defaults = UserDefaults::inMemory();
  int selfRemoving = 0;
  int removedByOther = 0;
  UserDefaults::ObserverToken self;
  UserDefaults::ObserverToken other;
  self = defaults->addObserver("k", [&](const std::string&, const std::optional<DefaultsValue>&) {
    ++selfRemoving;
    defaults->removeObserver(self);
    defaults->removeObserver(other);
  });
  other = defaults->addObserver(
      "k", [&](const std::string&, const std::optional<DefaultsValue>&) { ++removedByOther; });
  defaults->setInteger("k", 1);
  defaults->setInteger("k", 2);
  EXPECT_EQ(selfRemoving, 1);
  // Removed during the first delivery, before its turn came: never called.
  EXPECT_EQ(removedByOther, 0);
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

}  // namespace
