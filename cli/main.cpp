#include <atomic>
#include <csignal>
#include <iostream>
#include <variant>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRunner.h"
#include "cli/ConsoleUi.h"
#include "platform/Console.h"
#include "platform/DesktopMarkers.h"
#include "platform/DllSearch.h"
#include "platform/Files.h"
#include "platform/Privileges.h"

namespace {

// Ctrl-C asks the running pass to stop at its next step, as "Abbrechen" does.
// Standard input is emptied at the same moment: a wait for a line (the next
// chip of a production run, a question) ends at once, also when the signal
// came just before the wait began, and nothing read after a Ctrl-C can start
// more work. The handler changes nothing but the flag and standard input,
// and leaves errno as it found it. On Windows it runs on a thread of its
// own: the flag is an atomic, lock-free and so also safe in a signal
// handler.
std::atomic<bool>& StopFlag() {
  static std::atomic<bool> stop{false};
  return stop;
}
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int) {
  StopFlag().store(true);
  ferolith::EndStandardInput();
}

bool StopRequested() { return StopFlag().load(); }

}  // namespace

int main(int argc, char** argv) {
  using namespace ferolith;
  RestrictDllSearch();
  PrepareStandardStreams();
  const std::unique_ptr<Privileges> privileges = TakePrivilegesAtStart();
  UseUtf8Console();
  std::vector<std::string> words = Utf8Arguments(argc, argv);
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  const auto parsed = cli::ParseCommandLine(static_cast<int>(words.size()), arguments.data(), std::cout, std::cerr);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const auto& options = std::get<cli::CliOptions>(parsed);
  if (!privileges->Problem().empty()) {
    std::cerr << cli::MessageLines(privileges->Problem());
    return cli::kNoUserRights;
  }

#ifdef _WIN32
  CatchConsoleInterrupts([] { OnInterrupt(SIGINT); });
#else
  std::signal(SIGINT, OnInterrupt);
#endif
  std::string markerProblem;
  const auto markers = MakeDesktopMarkers(markerProblem);
  if (!markers) {
    std::cerr << cli::MessageLines(markerProblem);
    return cli::kMarkerFolderError;
  }
  cli::CliEnvironment environment{std::cin,
                                  std::cout,
                                  std::cerr,
                                  CurrentWorkingDirectory(),
                                  *markers,
                                  IsInteractiveConsole(),
                                  &StopRequested,
                                  privileges.get()};
  return cli::RunCli(options, environment);
}
