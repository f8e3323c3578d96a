#include "core/TextFormat.h"
#include "hardware/PortAccess.h"

namespace ferolith {

namespace {

constexpr const char* kNoAccessText =
    "Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse 0x%X.\n\n"
    "%s\n"
    "So bekommt das Programm Zugriff:\n"
    "- das Kernelmodul laden: sudo modprobe parport_pc\n"
    "- den Benutzer in die Gruppe 'lp' aufnehmen: sudo usermod -aG lp <Benutzer>\n"
    "  (danach neu anmelden)\n"
    "- oder das Programm mit --simulate (virtueller Brenner) starten.\n\n"
    "Das Programm läuft jetzt im Demo-Modus.";

// The highest base whose data, status and control registers fit in 16 bits.
constexpr std::int32_t kHighestPortBase = 0xFFFD;

}  // namespace

PortAccess PreparePortAccess(const Settings& settings, UiServices& ui, int& demoMode, unsigned& osId,
                             const PortAccessEnvironment& environment) {
  osId = 0;
  const PortRequest request{static_cast<std::uint16_t>(settings.PortAdress), environment.procRoot,
                            environment.devRoot, environment.calls};
  std::string reasons;
  // The three port registers must lie in the 16-bit I/O space; a larger or
  // negative address (the preferences accept any text) would otherwise be
  // cut to 16 bits and open some other port.
  const bool inIoSpace = settings.PortAdress >= 0 && settings.PortAdress <= kHighestPortBase;
  if (!inIoSpace) {
    reasons = FormatText("Die Port-Adresse 0x%X liegt außerhalb des E/A-Adressbereichs.\n",
                         static_cast<unsigned>(settings.PortAdress));
  }
  for (const PortBackend& backend : environment.backends) {
    if (!inIoSpace) break;
    OpenedPort opened = backend.open(request);
    if (opened.port) {
      if (settings.DebugNT == 1) {
        ui.MessagePlain(FormatText("Port-Zugriff über %s: %s", backend.id, opened.device.c_str()));
      }
      return {std::move(opened.port), backend.id, std::move(opened.device), nullptr};
    }
    reasons += std::string(backend.id) + ": " + opened.error + "\n";
  }
  ui.MessageInfo(FormatText(kNoAccessText, static_cast<unsigned>(settings.PortAdress), reasons.c_str()));
  demoMode = 1;
  return {};
}

}  // namespace ferolith
