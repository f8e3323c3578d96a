#include "tests/support/SymbolicLink.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>
#else
#include <climits>
#include <cstdlib>
#endif

#include "core/Utf8Path.h"

namespace ferolith::testing {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& text) { return PathFromUtf8(text).wstring(); }

// wine's own exports, which a real Windows does not have.
using UnixName = char*(CDECL*)(LPCWSTR);
using DosName = LPWSTR(CDECL*)(const char*);

// Starts `ln -s TARGET LINK` as a POSIX program through wine. wine hands
// back no handle that waits for such a program: the caller polls for the
// link.
bool LinkOnThePosixSide(const std::string& target, const std::string& link) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "wine_get_unix_file_name")));
  const auto dosName = reinterpret_cast<DosName>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "wine_get_dos_file_name")));
  if (unixName == nullptr || dosName == nullptr) return false;
  char* unixTarget = unixName(Wide(target).c_str());
  char* unixLink = unixName(Wide(link).c_str());
  wchar_t* ln = dosName("/bin/ln");
  bool started = false;
  if (unixTarget != nullptr && unixLink != nullptr && ln != nullptr) {
    std::wstring command = L"ln -s \"" + Wide(unixTarget) + L"\" \"" + Wide(unixLink) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    started = CreateProcessW(ln, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process) != 0;
    if (started) {
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
  }
  for (void* name : {static_cast<void*>(unixTarget), static_cast<void*>(unixLink), static_cast<void*>(ln)}) {
    HeapFree(GetProcessHeap(), 0, name);
  }
  return started;
}

}  // namespace

bool MakeFileLink(const std::string& target, const std::string& link) {
  constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  const std::string wanted = WhereItLeads(target);
  if (CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(), kUnprivileged) && WhereItLeads(link) == wanted) {
    return true;
  }
  if (!LinkOnThePosixSide(target, link)) return false;
  // A minute at most, for a loaded machine.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (WhereItLeads(link) != wanted) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the poll interval
  }
  return true;
}

std::string WhereItLeads(const std::string& path) {
  HANDLE handle = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  std::vector<wchar_t> name(32768);
  const DWORD length = GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()), 0);
  CloseHandle(handle);
  if (length == 0 || length >= name.size()) return {};
  return Utf8FromPath(std::filesystem::path(std::wstring(name.data(), length)));
}

#else

bool MakeFileLink(const std::string& target, const std::string& link) {
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  return !error && WhereItLeads(link) == WhereItLeads(target);
}

std::string WhereItLeads(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

#endif

}  // namespace ferolith::testing
