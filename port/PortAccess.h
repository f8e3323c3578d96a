#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "core/UiServices.h"
#include "port/PortBackends.h"
#include "port/PortIo.h"

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
  std::vector<std::string> refused;  // "id: reason" of each backend tried in vain
  std::vector<std::string> untried;  // ids of the backends after the chosen one
};

// A parallel port of this machine, as the kernel lists it.
struct MachinePort {
  std::uint32_t base = 0;
  std::string device;   // the node that leads to it (/dev/parportN)
  std::string refusal;  // why this user may not open the node; empty when it may
};

// The machine's parallel ports (Linux: from the proc tree, each with the
// reason why this user may not open its node). None where the system lists
// none.
std::vector<MachinePort> MachineParallelPorts(const PortAccessEnvironment& environment);

// Opens the port at settings.PortAdress with the first backend of the table
// that grants it. An address whose three registers do not fit the 16-bit I/O
// space opens nothing. When no port can be had, the message says what to do
// (NoPortAccessText) and the result holds no port. DebugNT names the chosen
// backend and device.
OpenedAccess OpenPort(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment);

// The message of a port that cannot be opened: the address, the reasons of
// the backends, the machine's ports when none of them is at the address
// ("Gefundene Schnittstelle: 0x378 (/dev/parport0)", one line each), and what
// the user can do: end the other program when the port is `busy`, else what
// gives access on this platform.
std::string NoPortAccessText(std::int32_t portAdress, const std::string& reasons,
                             const std::vector<MachinePort>& found = {}, bool busy = false);
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
