// The file services on POSIX systems.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
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

class PosixFileOps : public FileOps {
 public:
  int CreateTemp(std::string& pattern) override { return ::mkstemp(pattern.data()); }
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    return ::write(fd, data, size);
  }
  int Sync(int fd) override { return ::fsync(fd); }
  int Close(int fd) override { return ::close(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str());
  }
  int Unlink(const std::string& path) override { return ::unlink(path.c_str()); }

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

  int KeepOwnerAndMode(int fd, const FileStatus& status) override {
    if (::fchown(fd, static_cast<uid_t>(status.owner), static_cast<gid_t>(status.group)) != 0) return -1;
    return ::fchmod(fd, static_cast<mode_t>(status.mode));
  }

  int SetNewFileMode(int fd) override {
    // mkstemp creates the file for the owner only; give it the permissions
    // an ordinary new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(fd, static_cast<mode_t>(0666 & ~mask));
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
