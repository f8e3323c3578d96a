#pragma once

#include <cstdint>

#include "hardware/PortIo.h"

namespace ferolith {

// Direct port instructions of the C runtime (_inp/_outp). On NT-family
// systems the process must have been granted port access first (giveio).
// Only the three addresses base..base + 2 are touched.
class WindowsPort final : public PortIo {
 public:
  explicit WindowsPort(std::uint16_t base) : base_(base) {}
  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

 private:
  bool Owns(std::uint16_t address) const { return address >= base_ && address - base_ < 3; }
  std::uint16_t base_;
};

}  // namespace ferolith
