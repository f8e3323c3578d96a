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

DriverLocation DriverPathIn(const std::string& programFolder) {
  const std::string file = kDriverFile;
  return {programFolder + "\\" + file, file.substr(0, file.find('.'))};
}

std::size_t Utf16Length(const std::string& path) {
  std::size_t units = 0;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) == 0x80) continue;  // continuation byte
    units += byte >= 0xF0 ? 2 : 1;        // four-byte sequences need a surrogate pair
  }
  return units;
}

std::string DriverPathTooLongText(const std::string& path) {
  return "Der Pfad des Treibers 'giveio.sys' ist zu lang:\n" + path + "\n\n" + std::to_string(Utf16Length(path)) +
         " Zeichen, Windows erlaubt hier höchstens " + std::to_string(kLongestDriverPath) +
         ".\nDas Programm bitte in einen Ordner mit kürzerem Pfad installieren.\n\n"
         "Das Programm läuft jetzt im Demo-Modus.";
}

bool DriverStartsWithSystem(unsigned osId) { return osId >= 7; }

}  // namespace ferolith
