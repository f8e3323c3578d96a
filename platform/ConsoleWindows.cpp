// The console on Windows.
#include <windows.h>

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

}  // namespace ferolith
