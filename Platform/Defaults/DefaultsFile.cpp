#include "Platform/Defaults/DefaultsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "Platform/Core/AtomicFile.h"
#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Core/FileDescriptor.h"
#include "Platform/Core/Log.h"

namespace platform {
namespace {

constexpr mode_t kFileMode = 0600;

// Why the file must be left alone; the store then runs in memory only.
struct LeaveUntouched {
  std::string reason;
};

std::string errnoText(int number) { return std::error_code(number, std::generic_category()).message(); }

// The whole file, or nothing when it does not exist. Throws LeaveUntouched when it exists but
// cannot be read, is not a regular file, or is too large. Opening never waits: O_NONBLOCK makes
// the open of a FIFO return at once, and fstat then refuses it before any read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.valid()) {
    // A file in the way of the folder: there is no settings file either.
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw LeaveUntouched{"cannot open it: " + errnoText(errno)};
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) throw LeaveUntouched{"cannot inspect it: " + errnoText(errno)};
  if (!S_ISREG(status.st_mode)) throw LeaveUntouched{"it is not a regular file"};
  const auto tooLarge = [] {
    return LeaveUntouched{"it is larger than " + std::to_string(DefaultsFile::kMaxFileBytes / (1024 * 1024)) +
                          " MB"};
  };
  if (status.st_size > static_cast<off_t>(DefaultsFile::kMaxFileBytes)) throw tooLarge();
  std::string contents;
  char buffer[16384];
  while (true) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count == 0) return contents;
    if (count < 0) {
      if (errno == EINTR) continue;
      throw LeaveUntouched{"cannot read it: " + errnoText(errno)};
    }
    contents.append(buffer, static_cast<std::size_t>(count));
    // The file may have grown since fstat.
    if (contents.size() > DefaultsFile::kMaxFileBytes) throw tooLarge();
  }
}

}  // namespace

DefaultsFile::DefaultsFile(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<DefaultsMap> DefaultsFile::load() {
  removeStaleTemporaryFiles(path_);
  std::string reason;
  try {
    const auto contents = readWholeFile(path_);
    if (!contents) return DefaultsMap();
    DecodedDefaults decoded = decodeDefaults(*contents);
    // Rewritten without the entries that do not read once the whole file is safe beside it,
    // so that the next start neither reports them nor copies the file again.
    if (!decoded.unreadable.empty() && keepCopyAside(*contents, decoded.unreadable)) {
      save(encodeDefaults(decoded.values));
    }
    return std::move(decoded.values);
  } catch (const LeaveUntouched& problem) {
    reason = problem.reason;
  } catch (const NewerDefaultsFormat& error) {
    reason = std::string("it was written by a newer version: ") + error.what();
  } catch (const std::exception& error) {
    moveAside(error.what());
    return DefaultsMap();
  }
  log("[error] UserDefaults: cannot use " + path_.string() + " (" + reason +
      "); leaving it untouched and keeping settings in memory only");
  return std::nullopt;
}

bool DefaultsFile::save(std::string_view contents) {
  try {
    const auto folder = path_.parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder)) {
      std::filesystem::create_directories(folder);
      // The folder holds the session token: keep it to its owner.
      std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
    writeFileAtomically(path_, contents, kFileMode);
    return true;
  } catch (const std::exception& error) {
    log("[error] UserDefaults: cannot write " + path_.string() + " (" + error.what() +
        "); the change is kept in memory only");
    return false;
  }
}

std::filesystem::path DefaultsFile::unusedAsidePath() const {
  for (int attempt = 1;; ++attempt) {
    auto candidate = path_;
    candidate += attempt == 1 ? std::string(".corrupt") : ".corrupt-" + std::to_string(attempt);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) return candidate;
  }
}

bool DefaultsFile::keepCopyAside(std::string_view contents, const std::vector<std::string>& unreadable) {
  std::string skipped;
  for (const auto& entry : unreadable) skipped += (skipped.empty() ? "" : "; ") + entry;
  const std::string problem = "[error] UserDefaults: left out " + std::to_string(unreadable.size()) +
                              " unreadable entries of " + path_.string() + " (" + skipped + ")";
  const auto aside = unusedAsidePath();
  try {
    writeFileAtomically(aside, contents, kFileMode);
    log(problem + "; kept a copy of the file at " + aside.string());
    return true;
  } catch (const std::exception& error) {
    log(problem + " and could not keep a copy of the file (" + error.what() + ")");
    return false;
  }
}

void DefaultsFile::moveAside(const std::string& reason) {
  const std::string problem = "[error] UserDefaults: cannot use " + path_.string() + " (" + reason + ")";
  const auto aside = unusedAsidePath();
  std::error_code error;
  std::filesystem::rename(path_, aside, error);
  if (error) {
    log(problem + " nor move it aside (" + error.message() + "); starting with empty settings");
  } else {
    log(problem + "; moved it aside to " + aside.string() + " and starting with empty settings");
  }
}

}  // namespace platform
