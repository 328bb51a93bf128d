#pragma once

#include <filesystem>
#include <memory>

namespace platform {

// One running instance per user: an exclusive advisory lock (flock) on a file. The lock lasts as
// long as this object (or the process); the kernel drops it when the process ends however it
// ends, so a crashed instance never blocks the next one. Two locks on one file conflict also
// within one process.
class InstanceLock {
 public:
  // Takes the lock on `file` (creating it and its folder, owner-only); null when another holder
  // has it or the file cannot be opened (logged).
  static std::unique_ptr<InstanceLock> acquire(const std::filesystem::path& file);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // The lock file of this user's application: "instance.lock" in the application's
  // configuration folder.
  static std::filesystem::path standardFile();

 private:
  explicit InstanceLock(int descriptor) : descriptor_(descriptor) {}
  int descriptor_;
};

}  // namespace platform
