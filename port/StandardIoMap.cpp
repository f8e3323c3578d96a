#include "port/StandardIoMap.h"

#include <array>

#include "core/TextFormat.h"
#include "port/ParportLocator.h"

namespace ferolith {

namespace {

struct IoRange {
  std::uint16_t first;
  std::uint16_t last;
  const char* device;
};

// The parallel ports' own standard addresses, 0x278, 0x378 and 0x3BC, lie
// between these ranges.
constexpr std::array kForeignRanges = {
    IoRange{0x000, 0x0FF, "die Bausteine der Hauptplatine (DMA, Interrupt-Controller, Zeitgeber, Tastatur, Uhr)"},
    IoRange{0x168, 0x16F, "der vierte Festplatten-Controller (IDE)"},
    IoRange{0x170, 0x177, "der zweite Festplatten-Controller (IDE)"},
    IoRange{0x1E8, 0x1EF, "der dritte Festplatten-Controller (IDE)"},
    IoRange{0x1F0, 0x1F7, "der erste Festplatten-Controller (IDE)"},
    IoRange{0x2E8, 0x2EF, "die serielle Schnittstelle COM4"},
    IoRange{0x2F8, 0x2FF, "die serielle Schnittstelle COM2"},
    IoRange{0x370, 0x375, "der zweite Disketten-Controller"},
    IoRange{0x376, 0x377, "der zweite Festplatten-Controller (IDE)"},
    IoRange{0x3B0, 0x3BB, "die Grafikkarte (Monochrom-Register)"},
    IoRange{0x3C0, 0x3DF, "die Grafikkarte (VGA-, EGA- und CGA-Register)"},
    IoRange{0x3E8, 0x3EF, "die serielle Schnittstelle COM3"},
    IoRange{0x3F0, 0x3F5, "der Disketten-Controller"},
    IoRange{0x3F6, 0x3F6, "der erste Festplatten-Controller (IDE)"},
    IoRange{0x3F7, 0x3F7, "der Disketten-Controller"},
    IoRange{0x3F8, 0x3FF, "die serielle Schnittstelle COM1"},
    IoRange{0xCF8, 0xCFF, "die PCI-Konfiguration und die Neustart-Steuerung"},
};

// The port's data, status and control registers.
constexpr unsigned kRegisters = 3;

}  // namespace

std::string ForeignDeviceAt(std::uint16_t base) {
  const unsigned last = base + kRegisters - 1;
  for (const IoRange& range : kForeignRanges) {
    if (base <= range.last && last >= range.first) return range.device;
  }
  return {};
}

std::string RawPortRefusal(std::uint16_t base, const std::string& procRoot) {
  const std::string device = ForeignDeviceAt(base);
  if (device.empty() || IsExistingParallelPort(base, procRoot)) return {};
  return FormatText("an 0x%X liegt %s, keine parallele Schnittstelle; dorthin gehen keine direkten Portzugriffe",
                    static_cast<unsigned>(base), device.c_str());
}

}  // namespace ferolith
