#include "port/WindowsFolders.h"

#include <windows.h>

#include <string>

namespace ferolith {

namespace {
// The longest path the wide-character calls can give (\\?\ paths included).
constexpr DWORD kLongestPath = 32768;
}  // namespace

std::filesystem::path ProgramFolder() {
  // GetModuleFileNameW cuts a name that does not fit and says so only by
  // filling the whole buffer: grow it until the name fits.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    if (name.size() >= kLongestPath) return {};
    name.resize(name.size() * 2);
  }
}

std::filesystem::path SystemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length >= folder.size()) {
    folder.resize(length);
    length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  if (length == 0 || length >= folder.size()) return {};
  folder.resize(length);
  return std::filesystem::path(folder);
}

}  // namespace ferolith
