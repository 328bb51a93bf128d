#include "Platform/Core/FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace platform {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::close() {
  const int fd = std::exchange(fd_, -1);
  return fd >= 0 ? ::close(fd) : 0;
}

}  // namespace platform
