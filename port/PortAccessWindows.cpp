// Port access on Windows. The 95 family lets every process use port
// instructions; the NT family needs the giveio driver, whose device, once
// opened, grants the process port access. When the device cannot be opened
// the driver is installed as a kernel-driver service and started through the
// Service Control Manager.
#include <windows.h>

#include "core/Utf8Path.h"
#include "port/OsIdentity.h"
#include "port/PortAccess.h"
#include "port/WindowsFolders.h"
#include "port/WindowsPort.h"

namespace ferolith {

namespace {

constexpr const wchar_t* kGiveioDevice = L"\\\\.\\giveio";

constexpr const char* kNoServiceManagerText =
    "Keine Verbindung zum ServiceControlManager möglich.\n\n"
    "Der 'giveio.sys' Treiber kann nicht von Usern installiert werden.\n\n"
    "Das kann nur der Administrator !\n\n"
    "Dieses Programm bitte einmal als Administrator starten.\n"
    "Danach ist der Treiber installiert und das Programm\n"
    "kann auch von Usern benutzt werden.\n";
constexpr const char* kDriverNotLoadedText = "'giveio.sys' Devicetreiber konnte nicht geladen werden\n";
constexpr const char* kUnknownOsText = "Operating System nicht erkannt !";
// Without the version the program cannot tell whether it needs the driver:
// port instructions without it would end the program on the NT family.
constexpr const char* kNoVersionText =
    "Die Windows-Version kann nicht ermittelt werden.\n\n"
    "Ohne sie kann das Programm den Portzugriff nicht einrichten.\n\n"
    "Das Programm läuft jetzt im Demo-Modus.";

constexpr DWORD kErrorServiceAlreadyRunning = 1056;
constexpr DWORD kErrorServiceNotActive = 1062;

// Opening the device is all that is needed: the access lasts after the
// handle is closed.
bool OpenGiveioDevice() {
  HANDLE device = CreateFileW(kGiveioDevice, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  CloseHandle(device);
  return true;
}

// The driver beside the program, never in the working folder.
DriverLocation DriverPath() { return DriverPathIn(Utf8FromPath(ProgramFolder())); }

DWORD InstallDriverService(SC_HANDLE manager, const DriverLocation& driver, unsigned osId) {
  const DWORD startType = DriverStartsWithSystem(osId) ? SERVICE_SYSTEM_START : SERVICE_AUTO_START;
  const std::wstring name = PathFromUtf8(driver.serviceName).wstring();
  SC_HANDLE service = CreateServiceW(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                     SERVICE_KERNEL_DRIVER, startType, SERVICE_ERROR_NORMAL,
                                     PathFromUtf8(driver.path).wstring().c_str(), nullptr, nullptr,
                                     nullptr, nullptr, nullptr);
  if (service == nullptr) return GetLastError();
  CloseServiceHandle(service);
  return 0;
}

DWORD StartDriverService(SC_HANDLE manager, const std::string& serviceName) {
  SC_HANDLE service = OpenServiceW(manager, PathFromUtf8(serviceName).wstring().c_str(), SERVICE_ALL_ACCESS);
  if (service == nullptr) return GetLastError();
  DWORD result = 0;
  if (!StartServiceW(service, 0, nullptr)) result = GetLastError();
  CloseServiceHandle(service);
  return result;
}

std::shared_ptr<void> KeepServiceManager(SC_HANDLE manager) {
  return std::shared_ptr<void>(manager, [](void* handle) { CloseServiceHandle(static_cast<SC_HANDLE>(handle)); });
}

}  // namespace

// Windows keeps no list of the parallel ports that the program could read
// without a driver of its own.
std::vector<MachinePort> MachineParallelPorts(const PortAccessEnvironment&) { return {}; }

const char* PortAccessAdvice() {
  return "Bitte die Port-Adresse in den PREFS prüfen.\n"
         "Auf 64-Bit-Windows braucht das Programm einen signierten Porttreiber:\n"
         "dessen inpoutx64.dll (32-Bit-Programm: inpout32.dll) neben das Programm legen\n"
         "und den Treiber einmal als Administrator installieren.\n"
         "Oder das Programm mit --simulate (virtueller Brenner) starten.\n";
}

PortAccess PreparePortAccess(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment) {
  PortAccess access;
  const bool debug = settings.DebugNT == 1;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148 bytes
  if (!GetVersionExA(&version)) {
    ui.MessageInfo(kNoVersionText);
    return access;
  }

  const OsIdentity os =
      IdentifyOs(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion, version.szCSDVersion);
  access.osId = os.osId;

  bool granted = true;
  // A 64-bit Windows loads no unsigned driver: the giveio steps are left
  // out there, and the port is opened through a signed driver's DLL.
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && !Is64BitWindows() && !OpenGiveioDevice()) {
    const DriverLocation driver = DriverPath();
    if (Utf16Length(driver.path) > kLongestDriverPath) {
      ui.MessageInfo(DriverPathTooLongText(driver.path));
      return access;
    }
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
      ui.MessagePlain(kNoServiceManagerText);
      return access;
    }
    access.serviceManager = KeepServiceManager(manager);

    const DWORD installed = InstallDriverService(manager, driver, access.osId);
    if (debug && installed == 0) ui.MessagePlain("Driver installed");
    if (debug && installed == kErrorServiceNotActive) {
      ui.MessagePlain("Driver installed but not started !\nWe will try to do this now.");
    }
    const DWORD started = StartDriverService(manager, driver.serviceName);
    if (debug && started == kErrorServiceAlreadyRunning) ui.MessagePlain("Driver already started !");
    if (debug && started == kErrorServiceNotActive) ui.MessagePlain("Driver has not been started !");
    if (debug && started == 0) ui.MessagePlain("Driver started !");

    if (!OpenGiveioDevice()) {
      ui.MessageInfo(kDriverNotLoadedText);
      granted = false;
    }
  } else if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS &&
             version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    ui.MessageInfo(kUnknownOsText);
  }

  if (debug) ui.MessagePlain(os.name);
  if (granted) access.opened = OpenPort(settings, ui, environment);
  return access;
}

}  // namespace ferolith
