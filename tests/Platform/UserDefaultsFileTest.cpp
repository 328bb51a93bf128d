#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "DefaultsTestHome.h"
#include "Platform/Core/AtomicFile.h"
#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Defaults/DefaultsFile.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "Platform/Defaults/UserDefaults.h"

namespace {

using platform::DefaultsBytes;
using platform::DefaultsDate;
using platform::DefaultsValue;
using platform::UserDefaults;
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

TEST_F(UserDefaultsFileIntegration, TheFileLivesInTheApplicationConfigFolder) {
  EXPECT_EQ(file_, home_.root() / "config" / "quellorin" / "user-defaults.json");
  EXPECT_EQ(file_.parent_path(), platform::applicationConfigDirectory());
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

TEST_F(UserDefaultsFileIntegration, RemovalSurvivesARestart) {
  {
    auto defaults = UserDefaults::openFile(file_);
    defaults->setString("SessionToken", "t");
    defaults->setString("userId", "u");
    defaults->remove("SessionToken");
  }
  auto reopened = UserDefaults::openFile(file_);
  EXPECT_FALSE(reopened->contains("SessionToken"));
  EXPECT_EQ(reopened->string("userId"), "u");
}

TEST_F(UserDefaultsFileIntegration, ObserversAreCalledOnceTheFileHoldsTheChange) {
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

TEST_F(UserDefaultsFileIntegration, OpeningWithoutAFileCreatesNothingUntilTheFirstChange) {
  auto defaults = UserDefaults::openFile(file_);
  EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
  EXPECT_FALSE(std::filesystem::exists(file_.parent_path()));
  defaults->setBool("hasSeenOnboarding", true);
  EXPECT_TRUE(std::filesystem::exists(file_));
}

TEST_F(UserDefaultsFileIntegration, FileAndFolderAreForTheOwnerOnlyWhateverTheUmask) {
  const mode_t previous = ::umask(0);
  auto defaults = UserDefaults::openFile(file_);
  defaults->setString("SessionToken", "secret");
  ::umask(previous);
  struct stat status {};
  ASSERT_EQ(::stat(file_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat(file_.parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0700u);
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
TEST_F(UserDefaultsFileIntegration, UnusableFileIsMovedAsideLoggedAndTheStoreStartsEmpty) {
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
}

TEST_F(UserDefaultsFileIntegration, ALaterBrokenFileNeverOverwritesAnEarlierOne) {
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

}  // namespace
