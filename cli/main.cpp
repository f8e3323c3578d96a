#include <csignal>
#include <iostream>
#include <variant>

#include <fcntl.h>
#include <unistd.h>

#include "cli/CliOptions.h"
#include "cli/CliRunner.h"
#include "config/SettingsFile.h"
#include "platform/DesktopMarkers.h"

namespace {

// Ctrl-C asks the running pass to stop at its next step, as "Abbrechen" does.
// Standard input is switched to /dev/null at the same moment: a wait for a
// line (the next chip of a production run, a question) ends at once, also
// when the signal came just before the wait began, and nothing read after a
// Ctrl-C can start more work. open, dup2 and close are safe in a handler.
volatile std::sig_atomic_t stopSignal = 0;

void OnInterrupt(int) {
  stopSignal = 1;
  const int nothing = ::open("/dev/null", O_RDONLY);
  if (nothing >= 0) {
    ::dup2(nothing, STDIN_FILENO);
    ::close(nothing);
  }
}

bool StopRequested() { return stopSignal != 0; }

}  // namespace

int main(int argc, char** argv) {
  using namespace ferolith;
  const auto parsed = cli::ParseCommandLine(argc, argv, std::cout, std::cerr);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const auto& options = std::get<cli::CliOptions>(parsed);

  std::signal(SIGINT, OnInterrupt);
  const auto markers = MakeDesktopMarkers();
  cli::CliEnvironment environment{std::cin,
                                  std::cout,
                                  std::cerr,
                                  CurrentWorkingDirectory(),
                                  *markers,
                                  isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0,
                                  &StopRequested};
  return cli::RunCli(options, environment);
}
