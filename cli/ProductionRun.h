#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "files/AreaChecksum.h"

namespace ferolith::cli {

// What programming one chip gave.
struct ChipOutcome {
  // True when the chip was never started (its serial number could not be
  // had): the run ends with `result`, the chip is neither counted nor logged.
  bool abandoned = false;
  int result = 0;
  std::optional<std::uint64_t> serial;  // the chip's serial number, with --serial
  std::string device;
  std::vector<AreaChecksum> areas;  // the areas the burn and companion files filled
};

struct ProductionOptions {
  std::string burnFile;
  bool repeat = false;     // wait for the next chip after each one
  bool keepGoing = false;  // go on after a failed chip
  std::optional<std::string> logFile;
};

// "program --repeat" and "program --log": programs one chip after another.
// After each chip the result line goes to standard output (with --repeat,
// and for every chip with a serial number)
// and the log line to the log; then the run waits for the next chip: an
// empty line on standard input goes on, "q" or the end of input stops (on a
// terminal it asks in German first; from a pipe it reads silently). The run
// ends at the first failed chip unless `keepGoing`, and at once when the
// user asked to stop (Ctrl-C). Returns the first failed chip's result, 0
// when every chip succeeded, kLogError when the log could not be opened or
// written (the run then stops; a failed chip's result comes first).
class ProductionRun {
 public:
  ProductionRun(CliEnvironment& environment, ProductionOptions options,
                std::function<ChipOutcome()> programChip);

  int Run();

 private:
  bool StopRequested() const;
  // True when the next chip is to be programmed.
  bool WaitForNextChip();

  CliEnvironment& env_;
  ProductionOptions options_;
  std::function<ChipOutcome()> programChip_;
};

}  // namespace ferolith::cli
