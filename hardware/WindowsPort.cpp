#include "hardware/WindowsPort.h"

#include <conio.h>

namespace ferolith {

std::uint8_t WindowsPort::Read(std::uint16_t address) {
  return Owns(address) ? static_cast<std::uint8_t>(_inp(address)) : std::uint8_t{0xFF};
}

void WindowsPort::Write(std::uint16_t address, std::uint8_t value) {
  if (Owns(address)) _outp(address, value);
}

}  // namespace ferolith
