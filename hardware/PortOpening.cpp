// Opening the port for one address: the same on every platform, apart from
// the advice in the message.
#include "core/TextFormat.h"
#include "hardware/PortAccess.h"

namespace ferolith {

namespace {

// The highest base whose data, status and control registers fit in 16 bits.
constexpr std::int32_t kHighestPortBase = 0xFFFD;

}  // namespace

std::string NoPortAccessText(std::int32_t portAdress, const std::string& reasons) {
  return FormatText(
      "Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse 0x%X.\n\n%s\n%s\n"
      "Das Programm läuft jetzt im Demo-Modus.",
      static_cast<unsigned>(portAdress), reasons.c_str(), PortAccessAdvice());
}

OpenedAccess OpenPort(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment) {
  std::string reasons;
  // The preferences accept any text: a larger or negative address would
  // otherwise be cut to 16 bits and open some other port.
  if (settings.PortAdress < 0 || settings.PortAdress > kHighestPortBase) {
    reasons = FormatText("Die Port-Adresse 0x%X liegt außerhalb des E/A-Adressbereichs.\n",
                         static_cast<unsigned>(settings.PortAdress));
  } else {
    const PortRequest request{static_cast<std::uint16_t>(settings.PortAdress), environment.procRoot,
                              environment.devRoot, environment.calls};
    for (const PortBackend& backend : environment.backends) {
      OpenedPort opened = backend.open(request);
      if (opened.port) {
        if (settings.DebugNT == 1) {
          ui.MessagePlain(FormatText("Port-Zugriff über %s: %s", backend.id, opened.device.c_str()));
        }
        return {std::move(opened.port), backend.id, std::move(opened.device)};
      }
      reasons += std::string(backend.id) + ": " + opened.error + "\n";
    }
  }
  ui.MessageInfo(NoPortAccessText(settings.PortAdress, reasons));
  return {};
}

}  // namespace ferolith
