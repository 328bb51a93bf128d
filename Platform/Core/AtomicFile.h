#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

namespace platform {

// Replaces the file at `path` with `contents` so that the path always holds either the old
// file or the new one, whole, even if the process is killed or the machine stops at any
// moment: the bytes go to a temporary file in the same folder (created with `mode`), which is
// flushed to disk, then renamed over `path`, and the folder is flushed so the rename lasts.
// Throws std::system_error naming the step that failed and removes the temporary file; the
// path then still holds the old file, unless only the last step, flushing the folder, failed. Blocks for the
// disk; safe to call from any thread, but two concurrent calls for the same path leave whichever renamed
// last.
void writeFileAtomically(const std::filesystem::path& path, std::string_view contents, mode_t mode);

// Removes the temporary files that writeFileAtomically left beside `path` when a process was
// killed mid-write. Only for a path that no other process is writing at the moment.
void removeStaleTemporaryFiles(const std::filesystem::path& path);

}  // namespace platform
