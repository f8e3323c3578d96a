#pragma once

#include <cstddef>
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

// The port driver "giveio": its file and the name of its service.
struct DriverLocation {
  std::string path;  // UTF-8
  std::string serviceName;
};

// The driver's path in `programFolder`, the folder of the running program,
// where an installer puts it and only administrators may write: the kernel
// loads that file at every boot, so it must never come from a folder a user
// can fill, such as the working folder. A backslash and the file name are
// appended as they are; a drive root gives a doubled backslash.
DriverLocation DriverPathIn(const std::string& programFolder);

// The longest driver path a service takes, in UTF-16 units: the Win32
// path limit without its terminating NUL.
inline constexpr std::size_t kLongestDriverPath = 259;
// The length of the UTF-8 text `path` in the UTF-16 units of the
// wide-character calls.
std::size_t Utf16Length(const std::string& path);
// The message for a driver path longer than kLongestDriverPath: such a
// path is refused, never cut (a cut path would name another file).
std::string DriverPathTooLongText(const std::string& path);

// XP and Server 2003 (OsId 7 and 8) start the driver with the system; older
// versions and unknown ones start it automatically.
bool DriverStartsWithSystem(unsigned osId);

}  // namespace ferolith
