// Checks a ferolith.exe that someone else started (the Start-menu entry of
// an installation, opened by the shell): waits for its main window, makes
// sure that the window belongs to the expected program file, runs a
// "Leertest", which only the virtual programmer passes, and closes the
// window as a user would. Every step waits for windows and texts, never for
// a time.
//
//   ferolith-started-check FEROLITH_EXE
//
// Ends with status 0 when the program ended by itself with status 0.

#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>

#include "tests/win32/WindowProbe.h"

using namespace ferolith::driver;

namespace {

constexpr const char* kIdle = "Warte auf Eingaben";
constexpr int kManufacturerList = 1004;
constexpr int kLeertest = 1000;
constexpr int kStatus = 1016;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// The program file of a running process.
std::wstring ImageOf(HANDLE process) {
  wchar_t name[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  Require(QueryFullProcessImageNameW(process, 0, name, &size) != 0, "the program file of the started process");
  return name;
}

struct Started {
  HWND main = nullptr;
  DWORD pid = 0;
  HANDLE process = nullptr;
};

Started WaitForMainWindow(const std::wstring& exe) {
  Started started;
  WaitUntil("main window \"Ferolith V1.02\"", [&] {
    started.main = FindWindowW(L"#32770", L"Ferolith V1.02");
    if (started.main == nullptr) return false;
    GetWindowThreadProcessId(started.main, &started.pid);
    // Start-up is over once the lists are filled.
    return TextOf(GetDlgItem(started.main, kManufacturerList)).size() > 0;
  });
  started.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, started.pid);
  Require(started.process != nullptr, "the started process opened");
  const std::wstring image = ImageOf(started.process);
  Require(Lower(image) == Lower(exe), "the window belongs to " + Utf8(exe) + ", not to " + Utf8(image));
  return started;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ferolith-started-check FEROLITH_EXE\n");
    return 2;
  }
  wchar_t exe[MAX_PATH] = {};
  GetFullPathNameW(argv[1], MAX_PATH, exe, nullptr);
  try {
    Started program = WaitForMainWindow(exe);
    WaitUntil("idle status text", [&] { return TextOf(GetDlgItem(program.main, kStatus)) == kIdle; });
    Click(GetDlgItem(program.main, kLeertest));
    AnswerSocketBoxes(program.pid, "Controller ist gelöscht");
    WaitUntil("idle after the Leertest", [&] { return TextOf(GetDlgItem(program.main, kStatus)) == kIdle; });
    PostMessageW(program.main, WM_CLOSE, 0, 0);
    WaitUntil("the program ends", [&] { return WaitForSingleObject(program.process, 0) == WAIT_OBJECT_0; });
    DWORD status = 1;
    GetExitCodeProcess(program.process, &status);
    CloseHandle(program.process);
    Require(status == 0, "exit status " + std::to_string(status));
    std::printf("started program: main window up, Leertest on the virtual programmer, closed with status 0\n");
    return 0;
  } catch (const CheckFailed& failure) {
    std::fprintf(stderr, "started program: FAILED: %s\n", failure.what.c_str());
    return 1;
  }
}
