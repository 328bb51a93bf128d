#pragma once

#include <filesystem>
#include <string_view>

#include "Platform/Defaults/DefaultsValue.h"

namespace platform {

// The file behind a persistent UserDefaults, readable and writable by its owner only (0600).
// It is read once, at start, and replaced whole at every change (see writeFileAtomically), so
// it always holds one complete document. Not thread-safe by itself: UserDefaults serialises
// the calls. Failures are logged through platform::log; nothing here throws.
class DefaultsFile {
 public:
  explicit DefaultsFile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }

  // The stored values; empty when there is no file yet. A file that cannot be read or is not a
  // user-defaults document is renamed to "<path>.corrupt" (then ".corrupt-2", ".corrupt-3"
  // ..., never overwriting an earlier one), a line saying so is logged, and the result is
  // empty. Also removes temporary files left beside the file by a writer that was killed.
  DefaultsMap load();

  // Replaces the file with `contents`, creating its folder (owner only) when missing. On
  // failure logs a line and returns false; the file then keeps its previous contents.
  bool save(std::string_view contents);

 private:
  std::filesystem::path unusedAsidePath() const;
  void moveAside(const std::string& reason);

  std::filesystem::path path_;
};

}  // namespace platform
