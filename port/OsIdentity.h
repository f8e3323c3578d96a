#pragma once

#include <cstdint>
#include <string>

namespace ferolith {

// Platform ids of the Windows version information.
namespace WinPlatform {
inline constexpr std::uint32_t Windows = 1;  // 95, 98, ME
inline constexpr std::uint32_t Nt = 2;
}  // namespace WinPlatform

// The operating system as the program knows it: OsId 1..8 for the known
// Windows versions, 0 for everything else (and always on Linux), and the
// name shown in the diagnostic box.
struct OsIdentity {
  unsigned osId = 0;
  std::string name;
};

// Identifies a Windows version from its version information. `servicePack`
// is the service-pack text as the system reports it.
OsIdentity IdentifyOs(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                      const std::string& servicePack);

// The port driver "giveio": its file in the working directory and the name
// of its service.
struct DriverLocation {
  std::string path;
  std::string serviceName;
};

// The driver's path in `workingDirectory` (a backslash and the file name are
// appended as they are; a drive root gives a doubled backslash).
DriverLocation DriverPathIn(const std::string& workingDirectory);

// XP and Server 2003 (OsId 7 and 8) start the driver with the system; older
// versions and unknown ones start it automatically.
bool DriverStartsWithSystem(unsigned osId);

}  // namespace ferolith
