#include "hardware/PosixCalls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace ferolith {

namespace {

class SystemCalls final : public PosixCalls {
 public:
  int Open(const char* path, int flags) override { return ::open(path, flags | O_CLOEXEC); }
  int Ioctl(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
  int Close(int fd) override { return ::close(fd); }
};

}  // namespace

PosixCalls& SystemPosixCalls() {
  static SystemCalls calls;
  return calls;
}

}  // namespace ferolith
