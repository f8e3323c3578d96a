#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/Settings.h"
#include "core/UiServices.h"
#include "hardware/PortBackends.h"
#include "hardware/PortIo.h"

namespace ferolith {

// Where the port is looked for; tests replace the roots, the system calls
// and the list of backends.
struct PortAccessEnvironment {
  std::string procRoot = "/proc";
  std::string devRoot = "/dev";
  PosixCalls* calls = nullptr;
  std::span<const PortBackend> backends = PortBackends();
};

// The port opened for one address, or none.
struct OpenedAccess {
  std::unique_ptr<PortIo> port;  // empty: no backend could open it; the user has been told
  std::string backendId;
  std::string device;
};

// Opens the port at settings.PortAdress with the first backend of the table
// that grants it. An address whose three registers do not fit the 16-bit I/O
// space opens nothing. When no port can be had, the message says what to do
// (NoPortAccessText) and the result holds no port. DebugNT names the chosen
// backend and device.
OpenedAccess OpenPort(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment);

// The message of a port that cannot be opened: the address, the reasons of
// the backends, and what the user can do on this platform.
std::string NoPortAccessText(std::int32_t portAdress, const std::string& reasons);
// What the user can do on this platform to give the program port access.
const char* PortAccessAdvice();

// What start-up decided about port access.
struct PortAccess {
  OpenedAccess opened;  // the port for settings.PortAdress; empty in demo mode
  unsigned osId = 0;
  // Windows: the Service Control Manager handle, kept open for the run.
  std::shared_ptr<void> serviceManager;

  // No port access: the program runs in demo mode, the user has been told why.
  bool DemoMode() const { return opened.port == nullptr; }
};

// Prepares port access once per run, at start-up, and opens the port at
// settings.PortAdress. On Windows: identifies the system and, on the NT
// family, makes sure the giveio driver grants port access (installing and
// starting its service if needed); a version query that fails or a driver
// that cannot be had ends in demo mode after a message. On Linux: OsId 0,
// and the port is opened as OpenPort does. DebugNT shows diagnostic boxes.
PortAccess PreparePortAccess(const Settings& settings, UiServices& ui,
                             const PortAccessEnvironment& environment = {});

}  // namespace ferolith
