#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>

#include "DefaultsTestHome.h"
#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"

namespace {

using platform::UserDefaults;

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

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
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
