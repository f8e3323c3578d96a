#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "port/PortIo.h"
#include "port/PosixCalls.h"

namespace ferolith {

// What a backend needs to open the port at `base`. The roots and the system
// calls are replaceable so that tests can use a fake device tree.
struct PortRequest {
  std::uint16_t base = 0x278;
  std::string procRoot = "/proc";
  std::string devRoot = "/dev";
  PosixCalls* calls = nullptr;  // nullptr: the real system calls
};

// An opened port, or the reason why it could not be opened.
struct OpenedPort {
  std::unique_ptr<PortIo> port;
  std::string device;  // what was opened, for the diagnostic box
  std::string error;   // why not, when `port` is empty
  // The port is there but another program holds it: no other way to it may
  // be tried, it would write into that program's traffic.
  bool busy = false;
};

// One way of reaching the parallel port. The table lists them in the order
// in which start-up tries them.
struct PortBackend {
  const char* id;
  OpenedPort (*open)(const PortRequest& request);
  const char* description;
};

// The backends compiled into this build, preferred first. The simulator is
// not among them: the front ends choose it explicitly.
std::span<const PortBackend> PortBackends();

}  // namespace ferolith
