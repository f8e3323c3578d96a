#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ferolith {

// What the file calls report about a path.
struct FileStatus {
  enum class Kind { Regular, Directory, Other };  // Other: a pipe, a device, a socket

  bool exists = false;        // something is there, a dangling link included
  bool symbolicLink = false;  // the path itself is a symbolic link
  bool targetExists = false;  // what the path leads to (through links) exists
  // Of what the path leads to, when targetExists:
  Kind kind = Kind::Regular;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint32_t mode = 0;   // permission bits, set-id and sticky bits included
  std::uint32_t links = 1;  // hard links to it
};

// The operating-system calls behind file writing, as an interface so that a
// test can make any one of them fail. platform/Files.h has the system's own
// (SystemFileOps) for POSIX and for Windows. File names are UTF-8. Each call
// returns what the POSIX call of the same purpose returns and leaves the
// error number in errno.
class FileOps {
 public:
  virtual ~FileOps() = default;
  // open(O_CREAT | O_EXCL) for reading and writing: a new file `path` with
  // the permissions `mode` less the umask; -1 with EEXIST when the name is
  // taken.
  virtual int CreateExclusive(const std::string& path, std::uint32_t mode) = 0;
  virtual std::ptrdiff_t Write(int fd, const void* data, std::size_t size) = 0;
  virtual int Sync(int fd) = 0;  // the bytes on the disk
  virtual int Close(int fd) = 0;
  // Puts `from` in the place of `to`, replacing an existing `to`.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Unlink(const std::string& path) = 0;
  // fsync of the folder `directory` (empty: the current one), so that a
  // rename into it survives a power cut. Systems whose renames are written
  // through, and file systems that cannot sync a folder, report 0.
  virtual int SyncDirectory(const std::string& directory) = 0;
  // lstat and stat: 0 with `status` filled (exists false when nothing is
  // there), -1 when the path cannot be examined.
  virtual int Inspect(const std::string& path, FileStatus& status) = 0;
  // realpath: the path with every symbolic link resolved.
  virtual int ResolvePath(const std::string& path, std::string& resolved) = 0;
  // access(W_OK) for the effective user: 0 when the user may write `path`.
  virtual int CheckWritable(const std::string& path) = 0;
  // open for writing, created (0666 less the umask) or truncated; the
  // descriptor or -1.
  virtual int OpenForWriting(const std::string& path) = 0;
  // The calls of an append-only log. open for appending (every write goes
  // to the end, also with other writers), created with 0666 less the umask.
  virtual int OpenForAppending(const std::string& path) = 0;
  // flock(LOCK_EX) and flock(LOCK_UN): the writers of one log take turns.
  virtual int Lock(int fd) = 0;
  virtual int Unlock(int fd) = 0;
  // fstat's st_size.
  virtual int Length(int fd, std::int64_t& length) = 0;
  // ftruncate: cuts the file back to `length` bytes.
  virtual int Truncate(int fd, std::int64_t length) = 0;
  // fdatasync: the bytes (not every detail of the file's status) on the disk.
  virtual int SyncData(int fd) = 0;
  // fchown and fchmod to the owner, group and mode of `status`.
  virtual int KeepOwnerAndMode(int fd, const FileStatus& status) = 0;
};

}  // namespace ferolith
