// The console on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include "platform/Console.h"

namespace ferolith {

void UseUtf8Console() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool IsInteractiveConsole() { return ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0; }

// open, dup2 and close are async-signal-safe.
void EndStandardInput() {
  const int nothing = ::open("/dev/null", O_RDONLY);
  if (nothing >= 0) {
    ::dup2(nothing, STDIN_FILENO);
    ::close(nothing);
  }
}

}  // namespace ferolith
