#include "port/PortAccess.h"

#if defined(__linux__)
#include <cerrno>
#include <cstring>

#include "port/ParportLocator.h"
#endif

namespace ferolith {

const char* PortAccessAdvice() {
  return "So bekommt das Programm Zugriff:\n"
         "- das Kernelmodul laden: sudo modprobe parport_pc\n"
         "- den Benutzer in die Gruppe 'lp' aufnehmen: sudo usermod -aG lp <Benutzer>\n"
         "  (danach neu anmelden)\n"
         "- oder das Programm mit --simulate (virtueller Brenner) starten.\n";
}

std::vector<MachinePort> MachineParallelPorts(const PortAccessEnvironment& environment) {
  std::vector<MachinePort> ports;
#if defined(__linux__)
  PosixCalls& calls = environment.calls != nullptr ? *environment.calls : SystemPosixCalls();
  for (const ListedParport& listed : ListParports(environment.procRoot, environment.devRoot)) {
    MachinePort port{listed.base, listed.device, {}};
    if (calls.MayReadWrite(listed.device.c_str()) != 0) port.refusal = std::strerror(errno);
    ports.push_back(std::move(port));
  }
#else
  static_cast<void>(environment);
#endif
  return ports;
}

PortAccess PreparePortAccess(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment) {
  // No driver to prepare: the backends need only the device or the rights.
  return {OpenPort(settings, ui, environment), 0, nullptr};
}

}  // namespace ferolith
