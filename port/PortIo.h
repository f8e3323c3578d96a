#pragma once

#include <cstdint>

namespace ferolith {

// The whole hardware boundary: one byte in from an I/O address, one byte
// out to an I/O address. Backends: Linux ppdev, Linux direct I/O, Windows
// direct I/O, a signed driver's port DLL on Windows, and the virtual
// programmer of the simulator.
class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual std::uint8_t Read(std::uint16_t address) = 0;
  virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
};

}  // namespace ferolith
