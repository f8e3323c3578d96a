#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"

namespace ferolith {

// The desktop program's command line:
// "ferolith [--simulate[=FILE]] [--simulate-absent=MODEL]".
// --simulate runs on the virtual programmer and chip; FILE keeps the chip's
// contents between runs. --simulate-absent simulates too, with the virtual
// programmer absent and its port reading as MODEL shows (high,
// busy-inverted, low). Returns nothing for any other argument.
std::optional<ProgramOptions> ParseCommandLine(const std::vector<std::string>& arguments,
                                               const std::string& workingDirectory);

inline constexpr const char* kUsage =
    "Aufruf: ferolith [--simulate[=DATEI]] [--simulate-absent=high|busy-inverted|low]";

}  // namespace ferolith
