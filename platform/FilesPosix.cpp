// The file services on POSIX systems.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"

namespace ferolith {

namespace {

FileStatus::Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileStatus::Kind::Regular;
  if (S_ISDIR(mode)) return FileStatus::Kind::Directory;
  return FileStatus::Kind::Other;
}

// A call that a signal (Ctrl-C) may interrupt, made again until it is not.
template <typename Call>
int RetryInterrupted(Call call) {
  int result;
  do {
    result = call();
  } while (result != 0 && errno == EINTR);
  return result;
}

class PosixFileOps : public FileOps {
 public:
  int CreateExclusive(const std::string& path, std::uint32_t mode) override {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
  }
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    return ::write(fd, data, size);
  }
  int Sync(int fd) override { return ::fsync(fd); }
  int Close(int fd) override { return ::close(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str());
  }
  int Unlink(const std::string& path) override { return ::unlink(path.c_str()); }

  int SyncDirectory(const std::string& directory) override {
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    int result = ::fsync(fd);
    // Some file systems cannot sync a folder at all; their renames are as
    // safe as they get.
    if (result != 0 && (errno == EINVAL || errno == ENOTSUP)) result = 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
  }

  int Inspect(const std::string& path, FileStatus& status) override {
    status = FileStatus{};
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) return errno == ENOENT ? 0 : -1;
    status.exists = true;
    status.symbolicLink = S_ISLNK(link.st_mode);
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
      // A link to nothing: opening the path would create what it names.
      return status.symbolicLink && errno == ENOENT ? 0 : -1;
    }
    status.targetExists = true;
    status.kind = KindOf(target.st_mode);
    status.owner = target.st_uid;
    status.group = target.st_gid;
    status.mode = target.st_mode & 07777;
    status.links = static_cast<std::uint32_t>(target.st_nlink);
    return 0;
  }

  int ResolvePath(const std::string& path, std::string& resolved) override {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr) return -1;
    resolved = buffer;
    return 0;
  }

  int CheckWritable(const std::string& path) override {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS);
  }

  int OpenForWriting(const std::string& path) override {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }

  int OpenForAppending(const std::string& path) override {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  }
  int Lock(int fd) override { return RetryInterrupted([fd] { return ::flock(fd, LOCK_EX); }); }
  int Unlock(int fd) override { return ::flock(fd, LOCK_UN); }
  int Length(int fd, std::int64_t& length) override {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return -1;
    length = static_cast<std::int64_t>(status.st_size);
    return 0;
  }
  int Truncate(int fd, std::int64_t length) override {
    return RetryInterrupted([&] { return ::ftruncate(fd, static_cast<off_t>(length)); });
  }
  int SyncData(int fd) override { return ::fdatasync(fd); }

  int KeepOwnerAndMode(int fd, const FileStatus& status) override {
    if (::fchown(fd, static_cast<uid_t>(status.owner), static_cast<gid_t>(status.group)) != 0) return -1;
    return ::fchmod(fd, static_cast<mode_t>(status.mode));
  }
};

}  // namespace

FileOps& SystemFileOps() {
  static PosixFileOps ops;
  return ops;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

long long FileLength(std::FILE* file) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0) return -1;
  return static_cast<long long>(status.st_size);
}

std::string CurrentWorkingDirectory() {
  std::error_code error;
  const std::filesystem::path directory = std::filesystem::current_path(error);
  return error ? std::string() : directory.string();
}

bool IsStandardOutput(const std::string& path) {
  struct stat named {};
  struct stat output {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &output) == 0 &&
         named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

}  // namespace ferolith
