#pragma once

#include <cstdint>
#include <string>

namespace ferolith {

// The selected device, as the device library describes it. Address ranges
// are half-open: [CodeStart, CodeEnd) and [DataStart, DataEnd); a DataEnd of
// 0 means the device has no data EEPROM.
struct DeviceEntry {
  std::string Name;
  std::uint8_t Package = 0;          // pin count: 8 (DIP8) or 14 (DIP14)
  std::uint8_t ProgVoltageCode = 0;  // programming voltage / 100 mV
  std::uint8_t OperVoltageCode = 0;  // operating voltage in programming mode / 50 mV
  std::uint32_t MaxProgPolls = 0;    // completion polls allowed for one write
  std::uint32_t CodeStart = 0;
  std::uint32_t CodeSize = 0;
  std::uint32_t CodeEnd = 0;
  std::uint32_t DataStart = 0;
  std::uint32_t DataSize = 0;
  std::uint32_t DataEnd = 0;
  std::uint32_t InitRegister1Address = 0;
  std::int32_t ChipType = 0;  // 1 = ACE11, 2 = ACE12, 0 after a failed parse
};

namespace ChipTypeCode {
inline constexpr std::int32_t ACE11 = 1;
inline constexpr std::int32_t ACE12 = 2;
}  // namespace ChipTypeCode

}  // namespace ferolith
