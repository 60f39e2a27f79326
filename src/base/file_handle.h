#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/failure.h"

namespace tw {

// A file descriptor that is closed however the scope is left.
class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }
  // Closes it now, where a failed close means lost writes.
  void close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw Failure(std::strerror(errno));
  }

 private:
  int fd_;
};

}  // namespace tw
