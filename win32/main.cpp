// ferolith.exe: the Win32 desktop program of the Kalvenor device programmer.

#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/DesktopCommandLine.h"
#include "core/Utf8Path.h"
#include "platform/WideText.h"
#include "win32/ProgrammerApp.h"
#include "win32/WindowMarkers.h"

namespace {

void ShowStartMessage(const std::string& text) {
  MessageBoxW(nullptr, ferolith::WideFromUtf8(text).c_str(), L"Meldung", MB_OK | MB_ICONINFORMATION);
}

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(ferolith::Utf8FromWide(words[i]));
  LocalFree(words);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::optional<ferolith::DesktopStart> start =
      ferolith::ParseCommandLine(Arguments(), ferolith::Utf8FromPath(std::filesystem::current_path()));
  if (!start) {
    ShowStartMessage(ferolith::kUsage);
    return 2;
  }
  if (start->menu) {
    const std::string problem = ferolith::EnterMenuFolder(start->options);
    if (!problem.empty()) {
      ShowStartMessage(problem);
      return 1;
    }
  }
  ferolith::WindowMarkers markers;
  ferolith::CProgrammerApp(markers, start->options, start->projectFile).Run();
  return 0;
}
