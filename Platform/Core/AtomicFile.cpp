#include "Platform/Core/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "Platform/Core/FileDescriptor.h"

namespace platform {
namespace {

// Temporary files are named "<file name>.tmp-XXXXXX" beside the file they replace.
std::string temporaryPrefix(const std::filesystem::path& path) { return path.filename().string() + ".tmp-"; }

[[noreturn]] void throwErrno(const std::string& step, const std::filesystem::path& path) {
  throw std::system_error(errno, std::generic_category(), step + " " + path.string());
}

void writeAll(int fd, std::string_view contents, const std::filesystem::path& path) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throwErrno("write", path);
    }
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
}

void syncFolder(const std::filesystem::path& folder) {
  FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.valid()) throwErrno("open folder", folder);
  if (::fsync(directory.get()) != 0) throwErrno("fsync folder", folder);
}

}  // namespace

void writeFileAtomically(const std::filesystem::path& path, std::string_view contents, mode_t mode) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::string temporary = (folder / (temporaryPrefix(path) + "XXXXXX")).string();
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!file.valid()) throwErrno("create temporary file for", path);
  try {
    if (::fchmod(file.get(), mode) != 0) throwErrno("set mode of", temporary);
    writeAll(file.get(), contents, temporary);
    if (::fsync(file.get()) != 0) throwErrno("fsync", temporary);
    if (file.close() != 0) throwErrno("close", temporary);
    if (::rename(temporary.c_str(), path.c_str()) != 0) throwErrno("rename over", path);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  syncFolder(folder);
}

void removeStaleTemporaryFiles(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const std::string prefix = temporaryPrefix(path);
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      std::error_code ignored;
      std::filesystem::remove(entry->path(), ignored);
    }
  }
}

}  // namespace platform
