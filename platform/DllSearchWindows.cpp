// The DLL search on Windows: only the program's folder, System32 and the
// folders the program adds itself. SetDefaultDllDirectories came with
// Windows 8 (and with an update of Windows 7 and Vista); where it is
// missing, SetDllDirectoryW("") (XP SP1 and later) at least removes the
// working folder. Both are looked up at run time, for the older systems.
#include <windows.h>

#include "platform/DllSearch.h"

namespace ferolith {

namespace {

// LOAD_LIBRARY_SEARCH_DEFAULT_DIRS: the program's folder, System32 and the
// folders added with AddDllDirectory.
constexpr DWORD kSearchDefaultDirs = 0x00001000;

template <typename Function>
Function Kernel32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

void RestrictDllSearch() {
  const auto setDefaultDirectories = Kernel32Function<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
  if (setDefaultDirectories != nullptr && setDefaultDirectories(kSearchDefaultDirs)) return;
  const auto setDllDirectory = Kernel32Function<BOOL(WINAPI*)(LPCWSTR)>("SetDllDirectoryW");
  if (setDllDirectory != nullptr) setDllDirectory(L"");
}

}  // namespace ferolith
