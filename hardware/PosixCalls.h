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
};

// The real system calls (stateless).
PosixCalls& SystemPosixCalls();

}  // namespace ferolith
