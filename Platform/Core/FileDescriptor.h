#pragma once

namespace platform {

// Owns one open POSIX file descriptor and closes it when destroyed. A negative value owns
// nothing.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and returns what close() returned: for a file just written, a failure here
  // can be the first report of a failed write. Owns nothing afterwards.
  int close();

 private:
  int fd_;
};

}  // namespace platform
