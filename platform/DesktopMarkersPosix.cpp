// Desktop-wide marks on POSIX systems: a lock file per mark.
#include "platform/DesktopMarkers.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/PathParts.h"

namespace ferolith {

namespace {

class LockHold : public MarkerHold {
 public:
  explicit LockHold(int fd) : fd_(fd) {}
  ~LockHold() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;

 private:
  int fd_;
};

int OpenLockFile(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

}  // namespace

LockFileMarkers::LockFileMarkers(std::string directory) : directory_(std::move(directory)) {
  ::mkdir(directory_.c_str(), 0700);
}

std::string LockFileMarkers::PathOf(const std::string& mark) const {
  return JoinDirectory(directory_, mark + ".lock");
}

bool LockFileMarkers::Exists(const std::string& mark) {
  const int fd = OpenLockFile(PathOf(mark));
  if (fd < 0) return false;
  // flock() conflicts between separate opens even inside one process, so
  // this also sees a mark this process holds itself.
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

std::unique_ptr<MarkerHold> LockFileMarkers::Hold(const std::string& mark) {
  const int fd = OpenLockFile(PathOf(mark));
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Somebody else holds it already; a window title would simply exist
    // twice, so the command goes on without a lock of its own.
    ::close(fd);
    return std::make_unique<LockHold>(-1);
  }
  return std::make_unique<LockHold>(fd);
}

std::unique_ptr<DesktopMarkers> MakeDesktopMarkers() {
  return std::make_unique<LockFileMarkers>(DefaultMarkerDirectory());
}

std::string DefaultMarkerDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
    return JoinDirectory(runtime, "kalvenor");
  }
  return "/tmp/kalvenor-" + std::to_string(::getuid());
}

}  // namespace ferolith
