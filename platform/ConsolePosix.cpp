// The console on POSIX systems.
#include <unistd.h>

#include "platform/Console.h"

namespace ferolith {

void UseUtf8Console() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool IsInteractiveConsole() { return ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0; }

}  // namespace ferolith
