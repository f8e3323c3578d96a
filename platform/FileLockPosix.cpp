// Exclusive file locks on POSIX systems: flock() on an open file.
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/FileLock.h"

namespace ferolith {

namespace {

class FlockHold : public FileLockHold {
 public:
  explicit FlockHold(int fd) : fd_(fd) {}
  ~FlockHold() override { ::close(fd_); }  // closing releases the lock
  FlockHold(const FlockHold&) = delete;
  FlockHold& operator=(const FlockHold&) = delete;

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<FileLockHold> LockFileExclusively(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  int locked = 0;
  do {
    locked = ::flock(fd, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  return std::make_unique<FlockHold>(fd);
}

}  // namespace ferolith
