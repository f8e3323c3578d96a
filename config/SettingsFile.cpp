#include "config/SettingsFile.h"

#include <algorithm>
#include <cerrno>

#include "core/NumberText.h"
#include "core/PathParts.h"
#include "core/TextFormat.h"
#include "core/Utf8Text.h"

namespace ferolith {

namespace {

// The value buffer of a private-profile string read holds 260 characters
// including the terminating NUL. The cut counts characters, so that it
// never splits one.
constexpr std::size_t kMaxValueChars = 259;

constexpr std::int32_t kLowestPortAdress = 0x200;
constexpr std::int32_t kHighestPortAdress = 0x400;
constexpr std::int32_t kFallbackPortAdress = 0x378;
constexpr std::uint32_t kLowestTimeOut = 10000;
constexpr std::uint32_t kDefaultHexLineLen = 32;

#ifdef _WIN32
std::string DefaultDataPath(const std::string&) { return "C:\\"; }
#else
// A drive root means nothing here; the burn file is first looked for in the
// working directory. The trailing separator keeps its last component when
// the text is split into directory and name.
std::string DefaultDataPath(const std::string& workingDirectory) {
  return JoinDirectory(workingDirectory, "");
}
#endif

std::string ReadText(const ProfileFile& file, const char* section, const char* key,
                     const std::string& defaultText) {
  return std::string(FirstCharacters(file.GetString(section, key, defaultText), kMaxValueChars));
}

std::int32_t InRangeOr(std::int32_t value, std::int32_t low, std::int32_t high,
                       std::int32_t fallback) {
  return value < low || value > high ? fallback : value;
}

std::int32_t NonZeroAsOne(std::int32_t value) { return value != 0 ? 1 : 0; }
std::int32_t OnlyOneKept(std::int32_t value) { return value == 1 ? 1 : 0; }

void LoadPortAdress(UiServices& ui, Settings& settings, const ProfileFile& file,
                    const ParallelPortList& machinePorts) {
  if (!file.HasKey(kHardwareSection, "PortAdress") && machinePorts) {
    // The default 0x278 is rarely where a machine's only port is.
    const std::vector<std::uint32_t> ports = machinePorts();
    if (ports.size() == 1) {
      settings.SetPortAdress(static_cast<std::int32_t>(ports.front()));
      return;
    }
  }
  const std::uint32_t read = ParseHex(ReadText(file, kHardwareSection, "PortAdress", "278"));
  auto base = static_cast<std::int32_t>(read);
  if (base < kLowestPortAdress || base > kHighestPortAdress) {
    const std::vector<std::uint32_t> ports = machinePorts ? machinePorts() : std::vector<std::uint32_t>{};
    if (std::find(ports.begin(), ports.end(), read) == ports.end()) {
      ui.MessageInfo(
          "Portadresse in\n'KALVENOR.INI'\nkann nicht stimmen!!\n\nNehme Standardwert von 0x378.");
      base = kFallbackPortAdress;
    }
  }
  settings.SetPortAdress(base);
}

void LoadHardwareSection(Settings& settings, const ProfileFile& file) {
  const char* section = kHardwareSection;
  settings.DebugNT = InRangeOr(file.GetInt(section, "DebugNT", 0), 0, 1, 0);
  settings.SearchHardware = InRangeOr(file.GetInt(section, "SearchHardware", 2), 2, 5, 2);
  settings.TimeOut = ParseUnsignedDecimal(ReadText(file, section, "TimeOut", "100000"));
  if (settings.TimeOut < kLowestTimeOut) settings.TimeOut = 100000;
  settings.MessageBeap = NonZeroAsOne(file.GetInt(section, "MessageBeap", 1));
  settings.TimeBaseKorr = InRangeOr(file.GetInt(section, "TimeBaseKorr", 85), 1, 100, 85);
}

void LoadProgramSection(UiServices& ui, Settings& settings, const ProfileFile& file) {
  const char* section = kProgramSection;
  settings.FFSave = OnlyOneKept(file.GetInt(section, "FFSave", 0));
  settings.Verify = NonZeroAsOne(file.GetInt(section, "Verify", 1));
  settings.XKoord = InRangeOr(file.GetInt(section, "X-Koord", 10), 0, 1024, 10);
  settings.YKoord = InRangeOr(file.GetInt(section, "Y-Koord", 10), 0, 768, 10);
  settings.ShowDeviceData = OnlyOneKept(file.GetInt(section, "ShowDeviceData", 0));
  const std::int32_t manufIndex = file.GetInt(section, "ManufIndex", 0);
  settings.ManufIndex = manufIndex < 0 ? 1 : manufIndex;
  const std::int32_t deviceIndex = file.GetInt(section, "DeviceIndex", 0);
  settings.DeviceIndex = deviceIndex < 0 ? 0 : deviceIndex;
  settings.TestChecksum = NonZeroAsOne(file.GetInt(section, "TestChecksum", 1));
  settings.EndMessage = NonZeroAsOne(file.GetInt(section, "EndMessage", 0));

  const std::int32_t hexLineLen = file.GetInt(section, "HexLineLen", 32);
  settings.HexLineLen = static_cast<std::uint32_t>(hexLineLen) & 0xFEu;
  if (settings.HexLineLen == 0) {
    ui.MessageInfo(FormatText(
        "Der Wert für die Länge der HEX-Zeilen ist größer 254 oder kleiner 2.\n"
        "Eingetragene Länge %d\n\nWert geändert auf Standardwert = 32 Datenbytes",
        hexLineLen));
    settings.HexLineLen = kDefaultHexLineLen;
  }

  constexpr int kBinary = FormatNumber(DataFormat::Binary);
  settings.DataFormat = FormatOfNumber(InRangeOr(file.GetInt(section, "DataFormat", kBinary), kBinary,
                                                 FormatNumber(DataFormat::MotorolaS3), kBinary));
  settings.ReadFilter = InRangeOr(file.GetInt(section, "ReadFilter", 1), 1, 3, 1);
  settings.InitRegister1Value =
      static_cast<std::uint8_t>(ParseHex(ReadText(file, section, "InitRegister1", "0")) & 0xFFu);
}

void LoadBurnFile(Settings& settings, const ProfileFile& file,
                  const std::string& workingDirectory) {
  const std::string dataPath =
      ReadText(file, kProgramSection, "DataPath", DefaultDataPath(workingDirectory));
  settings.LastDirectory = dataPath;
  const PathParts directory = SplitPath(dataPath);

  // Without a LastFile no burn file is chosen yet: the field stays empty
  // and the first "Prüfen" or "Brennen" offers the open dialog, instead of
  // naming a file "tmp" that is not there.
  const PathParts lastFile = SplitPath(ReadText(file, kProgramSection, "LastFile", ""));
  settings.BurnFilePath =
      JoinPath({directory.drive, directory.directory, lastFile.name, lastFile.extension});
  settings.BurnFileName = lastFile.name + lastFile.extension;
}

std::string Decimal(std::int64_t value) { return std::to_string(value); }
std::string LowerHex(std::uint32_t value) { return FormatText("%x", value); }

}  // namespace

void LoadSettings(UiServices& ui, Settings& settings, const std::string& workingDirectory,
                  const ParallelPortList& machinePorts) {
  settings.IniPath = JoinDirectory(workingDirectory, kIniFileName);
  ProfileFile file;
  file.Load(settings.IniPath);  // a missing or unreadable file leaves every default
  ReadSettings(ui, settings, file, workingDirectory, machinePorts);
}

void ReadSettings(UiServices& ui, Settings& settings, const ProfileFile& file,
                  const std::string& workingDirectory, const ParallelPortList& machinePorts) {
  LoadPortAdress(ui, settings, file, machinePorts);
  LoadHardwareSection(settings, file);
  LoadProgramSection(ui, settings, file);
  LoadBurnFile(settings, file, workingDirectory);
}

SaveOutcome SaveSettings(Settings& settings) {
  ProfileFile file;
  // Keys this program does not know must survive the save; a file that
  // exists but cannot be read is therefore left alone.
  if (file.Load(settings.IniPath) == ProfileFile::LoadOutcome::Unreadable) return {errno != 0 ? errno : EIO};
  WriteSettings(settings, file);
  return file.Save(settings.IniPath);
}

void WriteSettings(Settings& settings, ProfileFile& file) {
  const char* hardware = kHardwareSection;
  file.WriteString(hardware, "PortAdress", LowerHex(static_cast<std::uint32_t>(settings.PortAdress)));
  file.WriteString(hardware, "SearchHardware", Decimal(settings.SearchHardware));
  file.WriteString(hardware, "TimeOut", Decimal(settings.TimeOut));
  file.WriteString(hardware, "TimeBaseKorr", Decimal(settings.TimeBaseKorr));
  file.WriteString(hardware, "MessageBeap", Decimal(settings.MessageBeap));

  const char* program = kProgramSection;
  file.WriteString(program, "Verify", Decimal(settings.Verify));
  file.WriteString(program, "FFSave", Decimal(settings.FFSave));
  file.WriteString(program, "X-Koord", Decimal(settings.XKoord));
  file.WriteString(program, "Y-Koord", Decimal(settings.YKoord));
  file.WriteString(program, "DataFormat", Decimal(FormatNumber(settings.DataFormat)));
  file.WriteString(program, "ManufIndex", Decimal(settings.ManufIndex));
  file.WriteString(program, "DeviceIndex", Decimal(settings.DeviceIndex));
  file.WriteString(program, "TestChecksum", Decimal(settings.TestChecksum));
  file.WriteString(program, "ShowDeviceData", Decimal(settings.ShowDeviceData));
  file.WriteString(program, "ReadFilter", Decimal(settings.ReadFilter));
  file.WriteString(program, "EndMessage", Decimal(settings.EndMessage));
  file.WriteString(program, "HexLineLen", Decimal(settings.HexLineLen));
  file.WriteString(program, "InitRegister1", LowerHex(settings.InitRegister1Value));

  const PathParts burnFile = SplitPath(settings.BurnFilePath);
  settings.BurnFileName = burnFile.name + burnFile.extension;
  file.WriteString(program, "DataPath", burnFile.drive + burnFile.directory);
  file.WriteString(program, "LastFile", settings.BurnFileName);
}

}  // namespace ferolith
