#include "hardware/PortAccess.h"

namespace ferolith {

const char* PortAccessAdvice() {
  return "So bekommt das Programm Zugriff:\n"
         "- das Kernelmodul laden: sudo modprobe parport_pc\n"
         "- den Benutzer in die Gruppe 'lp' aufnehmen: sudo usermod -aG lp <Benutzer>\n"
         "  (danach neu anmelden)\n"
         "- oder das Programm mit --simulate (virtueller Brenner) starten.\n";
}

PortAccess PreparePortAccess(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment) {
  // No driver to prepare: the backends need only the device or the rights.
  return {OpenPort(settings, ui, environment), 0, nullptr};
}

}  // namespace ferolith
