#pragma once

#include <cstddef>
#include <string>

#include <sys/types.h>

namespace ferolith {

// The operating-system calls behind file writing, as an interface so that a
// test can make any one of them fail. Each returns what the POSIX call
// returns and leaves the error number in errno.
class FileOps {
 public:
  virtual ~FileOps() = default;
  virtual int CreateTemp(std::string& pattern) = 0;  // mkstemp: pattern ends in XXXXXX
  virtual ssize_t Write(int fd, const void* data, std::size_t size) = 0;
  virtual int Sync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Unlink(const std::string& path) = 0;
};

// The real calls.
FileOps& SystemFileOps();

}  // namespace ferolith
