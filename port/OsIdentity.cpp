#include "port/OsIdentity.h"

#include <array>

namespace ferolith {

namespace {

struct KnownOs {
  std::uint32_t platformId;
  std::uint32_t major;
  std::uint32_t minor;
  const char* prefix;
  unsigned osId;
};

constexpr std::array<KnownOs, 8> kKnownOs = {{
    {WinPlatform::Windows, 4, 0, "Microsoft® Windows 95(TM) ", 1},
    {WinPlatform::Windows, 4, 10, "Microsoft® Windows 98(TM) ", 2},
    {WinPlatform::Windows, 4, 90, "Microsoft® Windows ME(TM) ", 3},
    {WinPlatform::Nt, 3, 51, "Microsoft® Windows NT3.51(TM) ", 4},
    {WinPlatform::Nt, 4, 0, "Microsoft® Windows NT4.00(TM) ", 5},
    {WinPlatform::Nt, 5, 0, "Microsoft® Windows 2000(TM) ", 6},
    {WinPlatform::Nt, 5, 1, "Microsoft® Windows XP(TM) ", 7},
    {WinPlatform::Nt, 5, 2, "Microsoft® Windows Server 2003(TM) ", 8},
}};

constexpr const char* kDriverFile = "giveio.sys";

}  // namespace

OsIdentity IdentifyOs(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                      const std::string& servicePack) {
  for (const KnownOs& os : kKnownOs) {
    if (os.platformId != platformId || os.major != major || os.minor != minor) continue;
    std::string suffix = servicePack;
    if (os.osId == 1 && servicePack == " C ") suffix = "OSR2";
    if (os.osId == 2 && servicePack == " A ") suffix = "Second Edition";
    return {os.osId, os.prefix + suffix};
  }
  return {};
}

DriverLocation DriverPathIn(const std::string& workingDirectory) {
  const std::string file = kDriverFile;
  return {workingDirectory + "\\" + file, file.substr(0, file.find('.'))};
}

bool DriverStartsWithSystem(unsigned osId) { return osId >= 7; }

}  // namespace ferolith
