#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ferolith::sim {

// What the port's status register reads while no programmer answers on it
// (absent or switched off). Real PC ports differ, so the simulator offers
// the three that occur:
enum class AbsentStatus : std::uint8_t {
  High,          // 0xFF: every status bit high (nothing decodes the address, or all lines float high)
  BusyInverted,  // 0x7F: a standard port with pulled-up inputs; bits 0-6 read 1, and the
                 //       port inverts BUSY, so bit 7 reads 0
  Low,           // 0x80: inputs pulled low; bits 0-6 read 0, the inverted BUSY bit 7 reads 1
};

constexpr std::uint8_t StatusByteOf(AbsentStatus status) {
  switch (status) {
    case AbsentStatus::BusyInverted: return 0x7F;
    case AbsentStatus::Low: return 0x80;
    case AbsentStatus::High: break;
  }
  return 0xFF;
}

// The models' names on the command lines of both front ends.
struct AbsentStatusName {
  std::string_view name;
  AbsentStatus status;
};
inline constexpr std::array<AbsentStatusName, 3> kAbsentStatusNames{{
    {"high", AbsentStatus::High},
    {"busy-inverted", AbsentStatus::BusyInverted},
    {"low", AbsentStatus::Low},
}};

constexpr std::optional<AbsentStatus> AbsentStatusNamed(std::string_view name) {
  for (const AbsentStatusName& entry : kAbsentStatusNames) {
    if (entry.name == name) return entry.status;
  }
  return std::nullopt;
}

}  // namespace ferolith::sim
