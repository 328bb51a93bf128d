#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Defaults/DefaultsValue.h"

namespace platform {

// The file behind a persistent UserDefaults, readable and writable by its owner only (0600).
// It is read once, at start, and replaced whole at every change (see writeFileAtomically), so
// it always holds one complete document. Not thread-safe by itself: UserDefaults serialises
// the calls. Failures are logged through platform::log, one line each; nothing here throws.
class DefaultsFile {
 public:
  // Far above any real settings file; a larger one is not read at all.
  static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

  explicit DefaultsFile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }

  // The stored values, empty when there is no file yet; or none when the file is there but
  // must be left exactly as it is, and the store must keep its settings in memory only:
  //  - it is not a regular file (a folder, a FIFO, a device), which is never opened for
  //    reading in a way that could block;
  //  - it cannot be read (permission denied, an I/O error), or is larger than kMaxFileBytes;
  //  - it was written in a newer format than this version knows.
  // A file that is not a user-defaults document at all is renamed to "<path>.corrupt" (then
  // ".corrupt-2", ".corrupt-3" ..., never overwriting an earlier one) and the result is empty.
  // Entries that do not read are left out and the rest kept: a copy of the whole file is
  // written beside it under such a name, then the file is rewritten without them.
  // Also removes temporary files left beside the file by a writer that was killed.
  std::optional<DefaultsMap> load();

  // Replaces the file with `contents`, creating its folder (owner only) when missing. On
  // failure logs a line and returns false; the file then keeps its previous contents.
  bool save(std::string_view contents);

 private:
  std::filesystem::path unusedAsidePath() const;
  void moveAside(const std::string& reason);
  // Logs the entries left out and writes `contents` to an unused aside path; false when the
  // copy could not be written.
  bool keepCopyAside(std::string_view contents, const std::vector<std::string>& unreadable);

  std::filesystem::path path_;
};

}  // namespace platform
