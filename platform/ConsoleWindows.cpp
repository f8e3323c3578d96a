// The console on Windows.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/Console.h"
#include "platform/WideText.h"

namespace ferolith {

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  if (words == nullptr || count != argc) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(words.get()[i]));
  return arguments;
}

namespace {

// The handler the console's control routine calls; the routine takes no
// context of its own.
std::atomic<void (*)()>& InterruptHandler() {
  static std::atomic<void (*)()> handler{nullptr};
  return handler;
}

// Ctrl-C and Ctrl-Break are handled; closing the console, logging off and
// shutting down go on to the system's default, which ends the program.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (void (*handler)() = InterruptHandler().load(); handler != nullptr) handler();
  return TRUE;
}

}  // namespace

void CatchConsoleInterrupts(void (*onInterrupt)()) {
  InterruptHandler().store(onInterrupt);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool IsInteractiveConsole() { return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stderr)) != 0; }

namespace {
// The null device for EndStandardInput, opened at the start.
std::atomic<int> nullInput{-1};
}  // namespace

void PrepareStandardStreams() {
  for (const int stream : {0, 1, 2}) {
    if (_get_osfhandle(stream) != -1) continue;
    const int filler = _open("NUL", stream == 0 ? _O_RDONLY : _O_WRONLY);
    if (filler >= 0 && filler != stream) {
      _dup2(filler, stream);
      _close(filler);
    }
  }
  if (nullInput.load() < 0) nullInput.store(_open("NUL", _O_RDONLY | _O_NOINHERIT));
}

// Ctrl-C handlers run on a thread of their own there; the C runtime's
// descriptor calls may be used from it.
void EndStandardInput() {
  const int nothing = nullInput.load();
  if (nothing < 0) return;
  const int error = errno;
  _dup2(nothing, 0);
  errno = error;
}

}  // namespace ferolith
