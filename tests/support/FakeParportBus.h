#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "port/PortAccess.h"
#include "port/PortIo.h"
#include "port/PosixCalls.h"

namespace ferolith::testing {

// Parallel ports in software for the real ppdev backend: under `root` a
// proc tree that lists each port with its base address and a dev folder for
// the device nodes, and the ppdev system calls, which carry the data, status
// and control transfers of each node to the PortIo that stands for the
// hardware on that port (a virtual programmer at the same base).
class FakeParportBus final : public PosixCalls {
 public:
  explicit FakeParportBus(std::string root);

  // Lists a port at `base` whose node leads to `hardware` (not owned).
  // `openError` refuses the node to this user (EACCES), `claimError` makes
  // its claim fail (EINTR: given up, another program holds the port).
  void AddPort(std::uint16_t base, PortIo& hardware, int openError = 0, int claimError = 0);

  // Where the program looks for ports: this bus, with ppdev as the only
  // backend (no direct port access on the test machine).
  PortAccessEnvironment Environment() const;

  // Bases of the ports opened so far, in order, and of those open now.
  const std::vector<std::uint16_t>& Opened() const { return opened_; }
  std::vector<std::uint16_t> OpenNow() const;

  int Open(const char* path, int flags) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  int Close(int fd) override;
  int MayReadWrite(const char* path) override;

 private:
  struct Port {
    std::uint16_t base;
    PortIo* hardware;
    int openError = 0;
    int claimError = 0;
    bool open = false;
    bool claimed = false;
  };

  std::string root_;
  std::map<std::string, Port> nodes_;  // by device path
  std::map<int, std::string> descriptors_;
  std::vector<std::uint16_t> opened_;
  std::vector<PortBackend> backends_;
  int nextFd_ = 100;
};

}  // namespace ferolith::testing
