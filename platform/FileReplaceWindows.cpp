#include "platform/FileReplaceWindows.h"

#include <string_view>
#include <vector>

namespace ferolith {

namespace {

template <typename Function>
Function Kernel32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

using ReplaceFileFunction = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID);
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// The failures of ReplaceFileW after which MoveFileExW is tried, all with
// the new file still under its own name:
//   - the old file is gone already (ERROR_UNABLE_TO_MOVE_REPLACEMENT
//     without a backup name; a file deleted meanwhile),
//   - the file system or the system cannot do it (FAT volumes and some
//     network shares have no streams or access lists to merge),
//   - the user may write and delete the old file but not read or change
//     its access list, which ReplaceFileW carries over.
// What else fails (a file another program holds open, a full disk) fails
// the move just as well and is told with ReplaceFileW's own code.
bool MoveMayStillWork(DWORD error) {
  switch (error) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
    case ERROR_CALL_NOT_IMPLEMENTED:
    case ERROR_ACCESS_DENIED:
      return true;
    default:
      return false;
  }
}

bool Move(const std::wstring& from, const std::wstring& to) {
  // Returns only when the move is on the disk.
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

std::wstring FullPathOf(const std::wstring& name) {
  const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0) return name;
  std::vector<wchar_t> full(size);
  const DWORD length = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return name;
  return std::wstring(full.data(), length);
}

bool ReplaceWithFile(const std::wstring& from, const std::wstring& to) {
  // ReplaceFileW takes absolute names only: wine refuses a relative one
  // with ERROR_DIRECTORY.
  const std::wstring replacement = FullPathOf(from);
  const std::wstring replaced = FullPathOf(to);
  const auto replaceFile = Kernel32Function<ReplaceFileFunction>("ReplaceFileW");
  if (replaceFile == nullptr || GetFileAttributesW(replaced.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Move(replacement, replaced);
  }
  if (replaceFile(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                  nullptr)) {
    return true;
  }
  const DWORD error = GetLastError();
  if (MoveMayStillWork(error) && GetFileAttributesW(replacement.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return Move(replacement, replaced);
  }
  SetLastError(error);
  return false;
}

bool FinalPathOf(HANDLE handle, std::wstring& path) {
  const auto finalPath = Kernel32Function<FinalPathFunction>("GetFinalPathNameByHandleW");
  if (finalPath == nullptr) return false;
  constexpr DWORD kDosName = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
  std::vector<wchar_t> name(MAX_PATH);
  DWORD length = finalPath(handle, name.data(), static_cast<DWORD>(name.size()), kDosName);
  if (length >= name.size()) {
    name.resize(length + 1);
    length = finalPath(handle, name.data(), static_cast<DWORD>(name.size()), kDosName);
  }
  if (length == 0 || length >= name.size()) return false;
  std::wstring_view found(name.data(), length);
  // The long-name prefixes: "\\?\C:\..." and "\\?\UNC\server\share\...".
  constexpr std::wstring_view kLong = L"\\\\?\\";
  constexpr std::wstring_view kLongUnc = L"\\\\?\\UNC\\";
  if (found.substr(0, kLongUnc.size()) == kLongUnc) {
    path = L"\\\\" + std::wstring(found.substr(kLongUnc.size()));
  } else if (found.substr(0, kLong.size()) == kLong) {
    path = std::wstring(found.substr(kLong.size()));
  } else {
    path = std::wstring(found);
  }
  return true;
}

}  // namespace ferolith
