#pragma once

#include <cstdint>

namespace ferolith {

// Command codes of the ACE serial protocol: the top byte of a command word.
namespace AceCommand {
inline constexpr std::uint8_t WriteCode = 0x10;
inline constexpr std::uint8_t ReadCode = 0x11;
inline constexpr std::uint8_t WriteData = 0x20;
inline constexpr std::uint8_t ReadData = 0x21;
}  // namespace AceCommand

// The 32-bit word sent to the chip for one access: code in bits 31..24, the
// address from bit 8 up, the data byte in bits 7..0 (0 for reads). The
// address is not masked: memory addresses stay below 0x10000, and the
// InitRegister1 address is sent as the device library gives it.
constexpr std::uint32_t CommandWord(std::uint8_t code, std::uint32_t address, std::uint8_t data) {
  return static_cast<std::uint32_t>(code) << 24 | address << 8 | data;
}

}  // namespace ferolith
