#include "Platform/Core/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"

namespace platform {

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::filesystem::path& file) {
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    log("[error] cannot open the instance lock " + file.string() + ": " + std::strerror(errno));
    return nullptr;
  }
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  return std::unique_ptr<InstanceLock>(new InstanceLock(descriptor));
}

InstanceLock::~InstanceLock() { ::close(descriptor_); }

std::filesystem::path InstanceLock::standardFile() { return applicationConfigDirectory() / "instance.lock"; }

}  // namespace platform
