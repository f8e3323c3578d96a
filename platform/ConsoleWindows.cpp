// The console on Windows.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
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

// Ctrl-C handlers run on a thread of their own there; the C runtime's
// descriptor calls may be used from it.
void EndStandardInput() {
  const int nothing = _open("NUL", _O_RDONLY);
  if (nothing >= 0) {
    _dup2(nothing, _fileno(stdin));
    _close(nothing);
  }
}

}  // namespace ferolith
