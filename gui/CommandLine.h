#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"

namespace ferolith {

// How the desktop program was started.
struct DesktopStart {
  ProgramOptions options;
  // --menu: started from the desktop's menu, so the working folder is the
  // program's own folder in the user's data directory (platform/WorkingFolder.h)
  // instead of the current directory.
  bool menu = false;
};

// The desktop program's command line:
// "ferolith [--menu] [--simulate[=FILE]] [--simulate-absent=MODEL]
// [--simulate-speed=real|fast|FACTOR] [--trace=FILE]".
// --simulate runs on the virtual programmer and chip; FILE keeps the chip's
// contents between runs. --simulate-absent simulates too, with the virtual
// programmer absent and its port reading as MODEL shows (high,
// busy-inverted, low). --simulate-speed simulates too, at the real
// programmer's pace ("real"), FACTOR times faster, or as fast as the
// machine allows ("fast", the default). --trace writes every port access into FILE (a Value
// Change Dump). Returns nothing for any other argument.
std::optional<DesktopStart> ParseCommandLine(const std::vector<std::string>& arguments,
                                             const std::string& workingDirectory);

// "ferolith --version" alone: print VersionText and end, before any window
// or display is needed.
bool AsksForVersion(const std::vector<std::string>& arguments);
// The program's name and version and its licence.
std::string VersionText();

inline constexpr const char* kUsage =
    "Aufruf: ferolith --version\n"
    "       ferolith [--menu] [--simulate[=DATEI]] [--simulate-absent=high|busy-inverted|low]\n"
    "                [--simulate-speed=real|fast|FAKTOR] [--trace=DATEI]";

}  // namespace ferolith
