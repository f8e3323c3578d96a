#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/DeviceEntry.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"

namespace ferolith {

// What a device line is parsed against.
struct DeviceLineContext {
  std::string libraryPath;         // named in the validation messages
  std::uint32_t timeBaseKorr = 85;  // microseconds per programmer register access
};

// Parses and validates one device line into `entry`, column by column, so a
// line that fails leaves `entry` holding a mixture of this line and what was
// there before. Results: Result::Ok; Result::LibraryError when the line has
// too few columns (no message); Result::InvalidDeviceLine with the message
// of the first column that fails validation in `message` (empty otherwise).
ResultCode ParseDeviceLine(std::string_view line, const DeviceLineContext& context,
                           DeviceEntry& entry, std::string& message);
// The same, showing the message.
ResultCode ParseDeviceLine(std::string_view line, const DeviceLineContext& context,
                           DeviceEntry& entry, UiServices& ui);

}  // namespace ferolith
