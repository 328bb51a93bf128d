#include "Platform/Defaults/DefaultsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "Platform/Core/AtomicFile.h"
#include "Platform/Defaults/DefaultsCoding.h"
#include "Platform/Core/FileDescriptor.h"
#include "Platform/Core/Log.h"

namespace platform {
namespace {

constexpr mode_t kFileMode = 0600;

[[noreturn]] void throwErrno(const std::string& step) {
  throw std::system_error(errno, std::generic_category(), step);
}

// The whole file, or nothing when it does not exist. Throws when it exists but cannot be read
// or is not a regular file.
std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) {
    if (errno == ENOENT) return std::nullopt;
    throwErrno("cannot open it");
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) throwErrno("cannot inspect it");
  if (!S_ISREG(status.st_mode)) throw std::runtime_error("it is not a regular file");
  std::string contents;
  char buffer[16384];
  while (true) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count == 0) return contents;
    if (count < 0) {
      if (errno == EINTR) continue;
      throwErrno("cannot read it");
    }
    contents.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace

DefaultsFile::DefaultsFile(std::filesystem::path path) : path_(std::move(path)) {}

DefaultsMap DefaultsFile::load() {
  removeStaleTemporaryFiles(path_);
  try {
    const auto contents = readWholeFile(path_);
    if (!contents) return {};
    return decodeDefaults(*contents);
  } catch (const std::exception& error) {
    moveAside(error.what());
    return {};
  }
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
