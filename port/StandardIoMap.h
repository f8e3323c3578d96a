#pragma once

#include <cstdint>
#include <string>

namespace ferolith {

// The standard I/O map of a PC: the registers that belong to devices other
// than the parallel ports (the chips of the main board below 0x100, the disk
// controllers, the serial ports, the graphics adapter, the PCI
// configuration). Raw port I/O reaches whatever sits at an address: a typo
// in PortAdress or a foreign KALVENOR.INI would pulse a disk controller's or
// the graphics card's registers.

// The device whose registers the three port registers base..base + 2 touch,
// as German text ("die serielle Schnittstelle COM1"); empty when none does.
std::string ForeignDeviceAt(std::uint16_t base);

// Why raw port I/O (direct port instructions, a port DLL) is refused at
// `base`, as the backend's German reason; empty when it is allowed. A port
// that the kernel lists at `base` (under `procRoot`) is always allowed.
std::string RawPortRefusal(std::uint16_t base, const std::string& procRoot);

}  // namespace ferolith
