#pragma once

namespace ferolith {

// The system calls of the ppdev backend, behind an interface so that tests
// can stand in a fake device or make any one call fail. Each call returns
// what the system call returns and leaves errno set on failure.
class PosixCalls {
 public:
  virtual ~PosixCalls() = default;
  virtual int Open(const char* path, int flags) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int Close(int fd) = 0;
  // access(2) with R_OK | W_OK: whether this user may open the node for
  // reading and writing.
  virtual int MayReadWrite(const char* path) = 0;
  // An ioctl that may block, given up after about `milliseconds` with
  // EINTR (the claim of a port that another program holds). Stand-ins that
  // never block keep the plain Ioctl.
  virtual int IoctlWithin(int fd, unsigned long request, void* argument, unsigned milliseconds) {
    static_cast<void>(milliseconds);
    return Ioctl(fd, request, argument);
  }
};

// The real system calls (stateless).
PosixCalls& SystemPosixCalls();

}  // namespace ferolith
