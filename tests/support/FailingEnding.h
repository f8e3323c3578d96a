#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/SocketDevice.h"
#include "sim/chip/VirtualAceChip.h"

namespace ferolith::testing {

// A socket device in front of the chip that holds SerialOut low (the DIP8
// line, bit 7) between the fall and the rise of LOAD after the chip's
// `first`-th to `last`-th latched command (counted from the chip's first):
// exactly the read endings of those commands fail, the shifts that carry
// the bytes stay intact.
class FailingEnding : public sim::SocketDevice {
 public:
  FailingEnding(sim::VirtualAceChip& chip, std::size_t first, std::size_t last)
      : chip_(chip), first_(first), last_(last) {}
  void OnLines(const sim::SocketLines& lines, std::uint64_t nowMicros) override {
    load_ = lines.load;
    chip_.OnLines(lines, nowMicros);
  }
  std::uint8_t PulledLow(std::uint64_t nowMicros) const override {
    const std::uint8_t pulled = chip_.PulledLow(nowMicros);
    const std::size_t latched = chip_.Commands().size();
    const bool failing = !load_ && latched >= first_ && latched <= last_;
    return failing ? static_cast<std::uint8_t>(pulled | 0x80) : pulled;
  }

 private:
  sim::VirtualAceChip& chip_;
  std::size_t first_;
  std::size_t last_;
  bool load_ = true;
};

}  // namespace ferolith::testing
