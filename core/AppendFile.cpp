#include "core/AppendFile.h"

#include <cerrno>

namespace ferolith {

AppendFile::~AppendFile() {
  if (fd_ >= 0) ops_.Close(fd_);
}

bool AppendFile::Open(const std::string& path) {
  if (fd_ >= 0) ops_.Close(fd_);
  error_ = 0;
  fd_ = ops_.OpenForAppending(path);
  if (fd_ < 0) error_ = errno;
  return fd_ >= 0;
}

bool AppendFile::Append(std::string_view line, std::string_view header) {
  if (fd_ < 0) {
    error_ = EBADF;
    return false;
  }
  // Under the lock, the length read here is where this line will start:
  // no other writer appends (or cuts back) meanwhile.
  if (ops_.Lock(fd_) != 0) {
    error_ = errno;
    return false;
  }
  std::int64_t length = 0;
  bool appended = false;
  if (ops_.Length(fd_, length) != 0) {
    error_ = errno;
  } else {
    std::string text;
    if (length == 0) text = header;
    text += line;
    appended = WriteWhole(text, length);
  }
  ops_.Unlock(fd_);
  return appended;
}

bool AppendFile::WriteWhole(const std::string& text, std::int64_t length) {
  std::ptrdiff_t written;
  do {
    written = ops_.Write(fd_, text.data(), text.size());
  } while (written < 0 && errno == EINTR);
  if (written == static_cast<std::ptrdiff_t>(text.size()) && ops_.SyncData(fd_) == 0) return true;
  // A write cut short reports no error of its own: the disk is full.
  error_ = written >= 0 && written < static_cast<std::ptrdiff_t>(text.size()) ? ENOSPC : errno;
  if (ops_.Truncate(fd_, length) == 0) ops_.SyncData(fd_);
  return false;
}

}  // namespace ferolith
