// The console on Windows.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

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
