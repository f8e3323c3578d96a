#pragma once

#include <cstdint>

#include "port/PortIo.h"

namespace ferolith {

// The port of demo mode, and the one the link holds before start-up has
// opened one: no programmer answers on it. It touches no I/O port and no
// simulator; every read sees lines floating high, every write goes nowhere,
// so a register write on it ends in the handshake timeout.
class AbsentPort final : public PortIo {
 public:
  std::uint8_t Read(std::uint16_t) override { return 0xFF; }
  void Write(std::uint16_t, std::uint8_t) override {}
};

}  // namespace ferolith
