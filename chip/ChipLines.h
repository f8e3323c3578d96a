#pragma once

#include "link/RegisterLink.h"

namespace ferolith {

// Where the chip's serial interface lies on the programmer for one package.
// The serial data line and LOAD are the same for both packages.
struct ChipLines {
  Line clock;      // CLK
  Line serialOut;  // SerialOut's pull-up; its bit is also SerialOut's in the input value
};

// DIP8: CLK register-10 bit 6, SerialOut bit 7. DIP14: CLK bit 3,
// SerialOut bit 6. The device library admits only these two packages; any
// other pin count is driven like DIP14.
constexpr ChipLines ChipLinesFor(std::uint8_t package) {
  if (package == 8) return {Lines::ClockDip8, Lines::SerialOutDip8};
  return {Lines::ClockDip14, Lines::SerialOutDip14};
}

}  // namespace ferolith
