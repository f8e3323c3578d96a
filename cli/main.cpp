#include <csignal>
#include <iostream>
#include <variant>

#include <unistd.h>

#include "cli/CliOptions.h"
#include "cli/CliRunner.h"
#include "config/SettingsFile.h"
#include "platform/DesktopMarkers.h"

namespace {

// Ctrl-C asks the running pass to stop at its next step, as "Abbrechen" does.
volatile std::sig_atomic_t stopSignal = 0;

void OnInterrupt(int) { stopSignal = 1; }

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
