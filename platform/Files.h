#pragma once

#include <cstdio>
#include <string>

#include "core/FileOps.h"

namespace ferolith {

// The file services of the operating system. File names are UTF-8 text
// throughout the program; on Windows every call here goes through the
// system's wide-character functions, so that any name the file system can
// hold ("Prüfung.hex") opens.

// The real calls behind file writing. Windows: a replacement puts the
// temporary file in the target's place with ReplaceFileW, which keeps the
// old file's access list and streams, or with MoveFileExW where there is no
// old file (platform/FileReplaceWindows.h); a new file's access list is its
// folder's, as every new file of the user gets it.
FileOps& SystemFileOps();

// Passes every call on to `next`. Fault injectors derive from it and
// override only the calls they break.
class ForwardingFileOps : public FileOps {
 public:
  explicit ForwardingFileOps(FileOps& next = SystemFileOps()) : next_(next) {}
  int CreateExclusive(const std::string& path, std::uint32_t mode) override {
    return next_.CreateExclusive(path, mode);
  }
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    return next_.Write(fd, data, size);
  }
  int Sync(int fd) override { return next_.Sync(fd); }
  int Close(int fd) override { return next_.Close(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return next_.Rename(from, to);
  }
  int Unlink(const std::string& path) override { return next_.Unlink(path); }
  int SyncDirectory(const std::string& directory) override { return next_.SyncDirectory(directory); }
  int Inspect(const std::string& path, FileStatus& status) override {
    return next_.Inspect(path, status);
  }
  int ResolvePath(const std::string& path, std::string& resolved) override {
    return next_.ResolvePath(path, resolved);
  }
  int CheckWritable(const std::string& path) override { return next_.CheckWritable(path); }
  int OpenForWriting(const std::string& path) override { return next_.OpenForWriting(path); }
  int OpenForAppending(const std::string& path) override { return next_.OpenForAppending(path); }
  int Lock(int fd) override { return next_.Lock(fd); }
  int Unlock(int fd) override { return next_.Unlock(fd); }
  int Length(int fd, std::int64_t& length) override { return next_.Length(fd, length); }
  int Truncate(int fd, std::int64_t length) override { return next_.Truncate(fd, length); }
  int SyncData(int fd) override { return next_.SyncData(fd); }
  int KeepOwnerAndMode(int fd, const FileStatus& status) override {
    return next_.KeepOwnerAndMode(fd, status);
  }

 private:
  FileOps& next_;
};

// std::fopen for a UTF-8 name; nullptr with errno set on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// The length of an open file in bytes; -1 with errno set when the system
// cannot tell.
long long FileLength(std::FILE* file);

// The process's current working directory as UTF-8; empty when it cannot be
// had.
std::string CurrentWorkingDirectory();

// True when `path` names the file that this process's standard output
// writes to: the same file, pipe or terminal, also through links such as
// /dev/stdout. False when either cannot be examined.
bool IsStandardOutput(const std::string& path);

}  // namespace ferolith
