#pragma once

#include <cstdint>

#include "hardware/RegisterLink.h"

namespace ferolith {

// Where the chip's serial interface lies on the programmer for one package.
// The serial data line and LOAD are the same for both packages.
struct ChipLines {
  std::uint8_t clockBit;      // CLK, in register 10
  std::uint8_t serialOutBit;  // SerialOut, in the input value
};

// DIP8: CLK register-10 bit 6, SerialOut input bit 7. DIP14: CLK bit 3,
// SerialOut bit 6. The device library admits only these two packages; any
// other pin count is driven like DIP14.
constexpr ChipLines ChipLinesFor(std::uint8_t package) {
  if (package == 8) return {RegBit::ClkDip8R10, RegBit::SerialOutDip8R10};
  return {RegBit::ClkDip14R10, RegBit::SerialOutDip14R10};
}

}  // namespace ferolith
