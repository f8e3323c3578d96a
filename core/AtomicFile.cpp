#include "core/AtomicFile.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/PathParts.h"

namespace ferolith {

namespace {

class PosixFileOps : public FileOps {
 public:
  int CreateTemp(std::string& pattern) override { return ::mkstemp(pattern.data()); }
  ssize_t Write(int fd, const void* data, std::size_t size) override {
    return ::write(fd, data, size);
  }
  int Sync(int fd) override { return ::fsync(fd); }
  int Close(int fd) override { return ::close(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str());
  }
  int Unlink(const std::string& path) override { return ::unlink(path.c_str()); }
};

}  // namespace

FileOps& SystemFileOps() {
  static PosixFileOps ops;
  return ops;
}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const std::string& target) {
  Discard();
  error_ = 0;
  target_ = target;
  const PathParts parts = SplitPath(target);
  tempPath_ = parts.drive + parts.directory + "." + parts.name + parts.extension + ".XXXXXX";
  fd_ = ops_.CreateTemp(tempPath_);
  if (fd_ < 0) {
    error_ = errno;
    tempPath_.clear();
    return false;
  }
  // mkstemp creates the file for the owner only; give it the permissions an
  // ordinary new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, static_cast<mode_t>(0666 & ~mask));
  return true;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t written = ops_.Write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail();
    }
    if (written == 0) {
      errno = ENOSPC;
      return Fail();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  if (ops_.Sync(fd_) != 0) return Fail();
  const int fd = fd_;
  fd_ = -1;
  if (ops_.Close(fd) != 0) {
    error_ = errno;
    ops_.Unlink(tempPath_);
    tempPath_.clear();
    return false;
  }
  if (ops_.Rename(tempPath_, target_) != 0) {
    error_ = errno;
    ops_.Unlink(tempPath_);
    tempPath_.clear();
    return false;
  }
  tempPath_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ops_.Close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ops_.Unlink(tempPath_);
    tempPath_.clear();
  }
}

bool AtomicFile::Fail() {
  error_ = errno;
  Discard();
  return false;
}

}  // namespace ferolith
