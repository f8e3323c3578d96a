// Opening the port for one address: the same on every platform, apart from
// the advice in the message and the listing of the machine's ports.
#include <algorithm>

#include "core/TextFormat.h"
#include "port/PortAccess.h"

namespace ferolith {

namespace {

// The highest base whose data, status and control registers fit in 16 bits.
constexpr std::int32_t kHighestPortBase = 0xFFFD;

constexpr const char* kBusyAdvice =
    "Bitte das andere Programm beenden und dieses Programm danach neu starten.\n";

}  // namespace

std::string NoPortAccessText(std::int32_t portAdress, const std::string& reasons,
                             const std::vector<MachinePort>& found, bool busy) {
  std::string ports;
  const bool atAddress = std::any_of(found.begin(), found.end(), [&](const MachinePort& port) {
    return static_cast<std::int64_t>(port.base) == portAdress;
  });
  if (!atAddress) {
    for (const MachinePort& port : found) {
      ports += FormatText("Gefundene Schnittstelle: 0x%X (%s)\n", port.base, port.device.c_str());
    }
    if (!ports.empty()) ports += "\n";
  }
  return FormatText(
      "Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse 0x%X.\n\n%s\n%s%s\n"
      "Das Programm läuft jetzt im Demo-Modus.",
      static_cast<unsigned>(portAdress), reasons.c_str(), ports.c_str(),
      busy ? kBusyAdvice : PortAccessAdvice());
}

OpenedAccess OpenPort(const Settings& settings, UiServices& ui, const PortAccessEnvironment& environment) {
  OpenedAccess access;
  std::string reasons;
  bool busy = false;
  // The preferences accept any text: a larger or negative address would
  // otherwise be cut to 16 bits and open some other port.
  if (settings.PortAdress < 0 || settings.PortAdress > kHighestPortBase) {
    reasons = FormatText("Die Port-Adresse 0x%X liegt außerhalb des E/A-Adressbereichs.\n",
                         static_cast<unsigned>(settings.PortAdress));
  } else {
    const PortRequest request{static_cast<std::uint16_t>(settings.PortAdress), environment.procRoot,
                              environment.devRoot, environment.calls};
    for (const PortBackend& backend : environment.backends) {
      if (access.port || busy) {
        access.untried.emplace_back(backend.id);
        continue;
      }
      OpenedPort opened = backend.open(request);
      if (opened.port) {
        access.port = std::move(opened.port);
        access.backendId = backend.id;
        access.device = std::move(opened.device);
        continue;
      }
      access.refused.push_back(std::string(backend.id) + ": " + opened.error);
      reasons += access.refused.back() + "\n";
      busy = opened.busy;
    }
  }
  if (access.port) {
    if (settings.DebugNT == 1) {
      ui.MessagePlain(FormatText("Port-Zugriff über %s: %s", access.backendId.c_str(), access.device.c_str()));
    }
    return access;
  }
  ui.MessageInfo(NoPortAccessText(settings.PortAdress, reasons, MachineParallelPorts(environment), busy));
  return access;
}

}  // namespace ferolith
