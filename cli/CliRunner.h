#pragma once

#include <iosfwd>
#include <string>

#include "cli/CliOptions.h"

namespace ferolith {
class DesktopMarkers;
class Privileges;
}

namespace ferolith::cli {

// Where the command line runs: its streams, working directory and markers.
struct CliEnvironment {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  std::string workingDirectory;
  DesktopMarkers& markers;
  bool terminal = false;  // standard input and error are a terminal
  // Polled at every message pump; true once the user asked to stop (Ctrl-C).
  bool (*stopRequested)() = nullptr;
  // Root's rights for the port's opening (platform/Privileges.h); nullptr:
  // the process's rights as they are.
  Privileges* privileges = nullptr;
};

// Runs one command over the same program the desktop runs and returns the
// exit status: 0, the result code of the step that failed, or kUsageError.
int RunCli(const CliOptions& options, CliEnvironment& environment);

}  // namespace ferolith::cli
