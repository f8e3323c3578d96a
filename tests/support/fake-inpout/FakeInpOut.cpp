// A stand-in for the port-I/O DLL of a signed port driver, for the tests
// only: the three functions of that DLL's interface (stdcall, undecorated
// names), each call recorded as a line of text and passed on to the port a
// test attached. Two more functions let the test attach its port, say
// whether the driver is open, and read the record back. When the
// environment names a file in FEROLITH_FAKE_INPOUT_MARK, loading the DLL
// appends the DLL's own path to it: the mark by which a test sees which
// copy of the DLL a program loaded, if any.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Fake {
  short(__cdecl* read)(void* context, short address) = nullptr;
  void(__cdecl* write)(void* context, short address, short value) = nullptr;
  void* context = nullptr;
  BOOL driverOpen = TRUE;
  std::string traffic;
};

Fake& State() {
  static Fake fake;
  return fake;
}

void Record(const char* format, unsigned a, unsigned b) {
  char line[48];
  std::snprintf(line, sizeof line, format, a, b);
  State().traffic += line;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t mark[MAX_PATH];
  wchar_t own[MAX_PATH];
  const DWORD markLength = GetEnvironmentVariableW(L"FEROLITH_FAKE_INPOUT_MARK", mark, MAX_PATH);
  const DWORD ownLength = GetModuleFileNameW(self, own, MAX_PATH);
  if (markLength == 0 || markLength >= MAX_PATH || ownLength == 0 || ownLength >= MAX_PATH) return TRUE;
  HANDLE file = CreateFileW(mark, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  char line[MAX_PATH * 3 + 2];
  const int length = WideCharToMultiByte(CP_UTF8, 0, own, static_cast<int>(ownLength), line, MAX_PATH * 3, nullptr,
                                         nullptr);
  line[length] = '\n';
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length + 1), &written, nullptr);
  CloseHandle(file);
  return TRUE;
}

__declspec(dllexport) short __stdcall Inp32(short address) {
  const short value = State().read != nullptr ? State().read(State().context, address) : short{0xFF};
  Record("Inp32(%04X) = %02X\n", static_cast<unsigned short>(address), static_cast<unsigned short>(value));
  return value;
}

__declspec(dllexport) void __stdcall Out32(short address, short value) {
  Record("Out32(%04X, %02X)\n", static_cast<unsigned short>(address), static_cast<unsigned short>(value));
  if (State().write != nullptr) State().write(State().context, address, value);
}

__declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen() { return State().driverOpen; }

__declspec(dllexport) void __cdecl FakeInpOutAttach(short(__cdecl* read)(void*, short),
                                                    void(__cdecl* write)(void*, short, short),
                                                    void* context, BOOL driverOpen) {
  State() = Fake{read, write, context, driverOpen, {}};
}

__declspec(dllexport) const char* __cdecl FakeInpOutTraffic() { return State().traffic.c_str(); }

}  // extern "C"
