#include "port/WindowsPort.h"

#include <windows.h>

#include <intrin.h>

#include "core/Utf8Path.h"
#include "port/WindowsFolders.h"

namespace ferolith {

namespace {

// The device of the giveio driver. Opening it grants the process port
// access, and so does any earlier open in this process: the access lasts
// after the handle is closed.
bool GiveioGrantsAccess() {
  HANDLE device = CreateFileA("\\\\.\\giveio", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  CloseHandle(device);
  return true;
}

bool Is95Family() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

}  // namespace

std::unique_ptr<WindowsPort> WindowsPort::Open(std::uint16_t base, std::string& error) {
  if (!Is95Family() && !GiveioGrantsAccess()) {
    error = "kein Portzugriff ohne den giveio-Treiber (64-Bit-Windows lädt ihn nicht)";
    return nullptr;
  }
  return std::unique_ptr<WindowsPort>(new WindowsPort(base));
}

std::uint8_t WindowsPort::Read(std::uint16_t address) {
  return Owns(address) ? __inbyte(address) : std::uint8_t{0xFF};
}

void WindowsPort::Write(std::uint16_t address, std::uint8_t value) {
  if (Owns(address)) __outbyte(address, value);
}

const char* InpOutPort::LibraryName() {
#ifdef _WIN64
  return "inpoutx64.dll";
#else
  return "inpout32.dll";
#endif
}

std::unique_ptr<InpOutPort> InpOutPort::OpenInstalled(std::uint16_t base, std::string& error) {
  const std::string name = LibraryName();
  for (const std::filesystem::path& folder : {ProgramFolder(), SystemFolder()}) {
    if (folder.empty()) continue;
    const std::filesystem::path library = folder / name;
    if (GetFileAttributesW(library.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    return Open(base, Utf8FromPath(library), error);
  }
  error = name + " nicht gefunden (weder im Programmordner noch in System32; der Treiber ist nicht installiert)";
  return nullptr;
}

std::unique_ptr<InpOutPort> InpOutPort::Open(std::uint16_t base, const std::string& library,
                                             std::string& error) {
  // A bare name would be searched for, in the working folder too.
  const std::filesystem::path path = PathFromUtf8(library);
  if (!path.is_absolute()) {
    error = library + ": keine Port-DLL ohne vollen Pfad";
    return nullptr;
  }
  // The DLLs it needs itself are looked for in its own folder first.
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    error = library + " nicht gefunden (der Treiber ist nicht installiert)";
    return nullptr;
  }
  // The DLL's functions are looked up by name; their types are the DLL's own.
  const auto read = reinterpret_cast<ReadFunction>(reinterpret_cast<void*>(GetProcAddress(module, "Inp32")));
  const auto write = reinterpret_cast<WriteFunction>(reinterpret_cast<void*>(GetProcAddress(module, "Out32")));
  const auto driverOpen = reinterpret_cast<BOOL(__stdcall*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "IsInpOutDriverOpen")));
  if (read == nullptr || write == nullptr || driverOpen == nullptr) {
    error = library + " bietet nicht Inp32, Out32 und IsInpOutDriverOpen";
  } else if (!driverOpen()) {
    error = library + ": der Treiber läuft nicht (einmal als Administrator starten)";
  } else {
    return std::unique_ptr<InpOutPort>(new InpOutPort(module, read, write, base));
  }
  FreeLibrary(module);
  return nullptr;
}

InpOutPort::~InpOutPort() { FreeLibrary(static_cast<HMODULE>(module_)); }

// The DLL takes and gives I/O addresses and bytes as 16-bit signed numbers.
std::uint8_t InpOutPort::Read(std::uint16_t address) {
  if (!Owns(address)) return 0xFF;
  return static_cast<std::uint8_t>(read_(static_cast<short>(address)));
}

void InpOutPort::Write(std::uint16_t address, std::uint8_t value) {
  if (Owns(address)) write_(static_cast<short>(address), static_cast<short>(value));
}

bool Is64BitWindows() {
#ifdef _WIN64
  return true;
#else
  // IsWow64Process is missing before XP SP2, which runs only on 32 bits.
  using IsWow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 = reinterpret_cast<IsWow64Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace ferolith
