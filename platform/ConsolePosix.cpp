// The console on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/Console.h"

namespace ferolith {

void UseUtf8Console() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool IsInteractiveConsole() { return ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0; }

namespace {
// The null device for EndStandardInput, opened before any signal handler
// can run; a signal handler can reach nothing but such a file-wide value.
std::atomic<int> nullInput{-1};
}  // namespace

void PrepareStandardStreams() {
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(stream, F_GETFD) != -1) continue;
    // The lowest free number is the closed stream's own.
    const int filler = ::open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (filler >= 0 && filler != stream) {
      ::dup2(filler, stream);
      ::close(filler);
    }
  }
  if (nullInput.load() < 0) nullInput.store(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}

// dup2 is async-signal-safe.
void EndStandardInput() {
  const int nothing = nullInput.load();
  if (nothing < 0) return;
  const int error = errno;
  ::dup2(nothing, STDIN_FILENO);
  errno = error;
}

}  // namespace ferolith
