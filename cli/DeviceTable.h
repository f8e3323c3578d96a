#pragma once

#include <string>

#include "core/DeviceEntry.h"

namespace ferolith::cli {

// One line of "devices -l", tab-separated for scripts: manufacturer number
// and name, device number and name, package, chip type, program-memory
// range and size, data-EEPROM range and size ("-" and 0 without one),
// InitRegister1 address. Numbers are those --manufacturer and --device take.
std::string DeviceTableLine(int manufacturerNumber, const std::string& manufacturer, int deviceNumber,
                            const DeviceEntry& device);

}  // namespace ferolith::cli
