#include "cli/DeviceTable.h"

#include "core/TextFormat.h"

namespace ferolith::cli {

namespace {

// A half-open range [start, end) as its first and last address.
std::string Range(std::uint32_t start, std::uint32_t end) {
  if (end <= start) return "-";
  return FormatText("0x%04X-0x%04X", static_cast<unsigned>(start), static_cast<unsigned>(end - 1));
}

const char* ChipTypeName(std::int32_t type) {
  switch (type) {
    case ChipTypeCode::ACE11:
      return "ACE11";
    case ChipTypeCode::ACE12:
      return "ACE12";
    default:
      return "?";
  }
}

}  // namespace

std::string DeviceTableLine(int manufacturerNumber, const std::string& manufacturer, int deviceNumber,
                            const DeviceEntry& device) {
  const bool hasData = device.DataEnd != 0;
  return FormatText("%d\t%s\t%d\t%s\tDIP%u\t%s\t%s\t%u\t%s\t%u\t0x%04X", manufacturerNumber,
                    manufacturer.c_str(), deviceNumber, device.Name.c_str(),
                    static_cast<unsigned>(device.Package), ChipTypeName(device.ChipType),
                    Range(device.CodeStart, device.CodeEnd).c_str(),
                    static_cast<unsigned>(device.CodeSize),
                    hasData ? Range(device.DataStart, device.DataEnd).c_str() : "-",
                    hasData ? static_cast<unsigned>(device.DataSize) : 0u,
                    static_cast<unsigned>(device.InitRegister1Address));
}

}  // namespace ferolith::cli
