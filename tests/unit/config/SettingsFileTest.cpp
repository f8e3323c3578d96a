#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "config/SettingsFile.h"
#include "core/PathParts.h"
#include "tests/support/Portable.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::PlatformLines;
using testing::ReadFileBytes;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteFileBytes;

const char* const kPortMessage =
    "Portadresse in\n'KALVENOR.INI'\nkann nicht stimmen!!\n\nNehme Standardwert von 0x378.";

std::string HexLineLenMessage(const char* shown) {
  return std::string("Der Wert für die Länge der HEX-Zeilen ist größer 254 oder kleiner 2.\n"
                     "Eingetragene Länge ") +
         shown + "\n\nWert geändert auf Standardwert = 32 Datenbytes";
}

// Loads settings from a KALVENOR.INI with the given content in a fresh directory.
class SettingsFileTest : public ::testing::Test {
 protected:
  Settings Load(const std::string& ini, const ParallelPortList& ports = {}) {
    WriteFileBytes(dir.File("KALVENOR.INI"), ini);
    ui.Clear();
    Settings settings;
    LoadSettings(ui, settings, dir.Path().string(), ports);
    return settings;
  }
  Settings LoadHardware(const std::string& line) { return Load("[Hardware]\n" + line + "\n"); }
  Settings LoadProgram(const std::string& line) {
    return Load("[Ferolith INI-Section]\n" + line + "\n");
  }

  TempDir dir;
  ScriptedUi ui;
};

TEST_F(SettingsFileTest, MissingFileGivesEveryDefaultSilently) {
  Settings settings;
  settings.XKoord = 500;  // proves the load sets the field
  LoadSettings(ui, settings, dir.Path().string());
  const std::string directory = JoinDirectory(dir.Path().string(), "");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(settings.IniPath, directory + "KALVENOR.INI");
  EXPECT_EQ(settings.PortAdress, 0x278);
  EXPECT_EQ(settings.StatusPort, 0x279);
  EXPECT_EQ(settings.ControlPort, 0x27A);
  EXPECT_EQ(settings.TimeOut, 100000u);
  EXPECT_EQ(settings.XKoord, 10);
  EXPECT_EQ(settings.HexLineLen, 32u);
  EXPECT_EQ(settings.Verify, 1);
  EXPECT_EQ(settings.TestChecksum, 1);
#ifdef _WIN32
  // On Windows the file dialogs start at the drive's root, as they always did.
  const std::string dataPath = "C:\\";
#else
  // On POSIX the burn file is first looked for in the working directory.
  const std::string dataPath = directory;
#endif
  EXPECT_EQ(settings.LastDirectory, dataPath);
  // No burn file is chosen yet.
  EXPECT_EQ(settings.BurnFilePath, dataPath);
  EXPECT_EQ(settings.BurnFileName, "");
  EXPECT_FALSE(std::filesystem::exists(settings.IniPath));
}

TEST_F(SettingsFileTest, PortAdressIsHexadecimalWithinTheParallelPortRange) {
  EXPECT_EQ(LoadHardware("PortAdress=3bc").PortAdress, 0x3BC);
  EXPECT_EQ(LoadHardware("PortAdress=0x3BC").PortAdress, 0x3BC);
  Settings top = LoadHardware("PortAdress=400");
  EXPECT_EQ(top.PortAdress, 0x400);
  EXPECT_EQ(top.StatusPort, 0x401);
  EXPECT_EQ(top.ControlPort, 0x402);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(LoadHardware("PortAdress=200").PortAdress, 0x200);
  EXPECT_TRUE(ui.Messages().empty());

  for (const char* bad : {"PortAdress=401", "PortAdress=1ff", "PortAdress=xyz",
                          "PortAdress=-378", "PortAdress=FFFFFFFFF"}) {
    const Settings settings = LoadHardware(bad);
    EXPECT_EQ(settings.PortAdress, 0x378) << bad;
    EXPECT_EQ(settings.ControlPort, 0x37A) << bad;
    EXPECT_EQ(ui.Messages(), std::vector<std::string>{kPortMessage}) << bad;
  }
}

TEST_F(SettingsFileTest, TheMachinesPortsDecideAnUnusualAddressAndTheFirstStart) {
  int asked = 0;
  std::vector<std::uint32_t> machine = {0xD010, 0x278};
  const ParallelPortList ports = [&] {
    ++asked;
    return machine;
  };
  const Settings pcie = Load("[Hardware]\nPortAdress=d010\n", ports);
  EXPECT_EQ(pcie.PortAdress, 0xD010);
  EXPECT_EQ(pcie.StatusPort, 0xD011);
  EXPECT_EQ(pcie.ControlPort, 0xD012);
  EXPECT_TRUE(ui.Messages().empty());

  const Settings unknown = Load("[Hardware]\nPortAdress=3010\n", ports);
  EXPECT_EQ(unknown.PortAdress, 0x378);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{kPortMessage});

  // An address in the classic range needs no list.
  Load("[Hardware]\nPortAdress=378\n", ports);
  EXPECT_EQ(asked, 2);

  // No PortAdress at all: a machine with exactly one port uses it, even
  // outside the classic range; with none or several the default stays.
  for (const auto& [ports_, expected] : std::vector<std::pair<std::vector<std::uint32_t>, std::int32_t>>{
           {{0x378}, 0x378}, {{0xD010}, 0xD010}, {{}, 0x278}, {{0x378, 0x3BC}, 0x278}}) {
    machine = ports_;
    EXPECT_EQ(Load("[Hardware]\nTimeOut=20000\n", ports).PortAdress, expected);
    EXPECT_TRUE(ui.Messages().empty());
  }
  machine = {0x378};
  EXPECT_EQ(Load("[Hardware]\nPortAdress=278\n", ports).PortAdress, 0x278);
}

TEST_F(SettingsFileTest, HardwareValuesOutOfRangeTakeTheirFallbacks) {
  EXPECT_EQ(LoadHardware("TimeOut=10000").TimeOut, 10000u);
  EXPECT_EQ(LoadHardware("TimeOut=9999").TimeOut, 100000u);
  EXPECT_EQ(LoadHardware("TimeOut=4000000000").TimeOut, 4000000000u);
  EXPECT_EQ(LoadHardware("TimeOut=many").TimeOut, 100000u);
  EXPECT_EQ(LoadHardware("SearchHardware=1").SearchHardware, 2);
  EXPECT_EQ(LoadHardware("SearchHardware=5").SearchHardware, 5);
  EXPECT_EQ(LoadHardware("SearchHardware=6").SearchHardware, 2);
  EXPECT_EQ(LoadHardware("TimeBaseKorr=0").TimeBaseKorr, 85);
  EXPECT_EQ(LoadHardware("TimeBaseKorr=1").TimeBaseKorr, 1);
  EXPECT_EQ(LoadHardware("TimeBaseKorr=100").TimeBaseKorr, 100);
  EXPECT_EQ(LoadHardware("TimeBaseKorr=101").TimeBaseKorr, 85);
  EXPECT_EQ(LoadHardware("DebugNT=1").DebugNT, 1);
  EXPECT_EQ(LoadHardware("DebugNT=2").DebugNT, 0);
  EXPECT_EQ(LoadHardware("MessageBeap=-3").MessageBeap, 1);
  EXPECT_EQ(LoadHardware("MessageBeap=0").MessageBeap, 0);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SettingsFileTest, ProgramValuesOutOfRangeTakeTheirFallbacks) {
  EXPECT_EQ(LoadProgram("X-Koord=-5").XKoord, 10);
  EXPECT_EQ(LoadProgram("X-Koord=1024").XKoord, 1024);
  EXPECT_EQ(LoadProgram("X-Koord=1025").XKoord, 10);
  EXPECT_EQ(LoadProgram("Y-Koord=0").YKoord, 0);
  EXPECT_EQ(LoadProgram("Y-Koord=768").YKoord, 768);
  EXPECT_EQ(LoadProgram("Y-Koord=769").YKoord, 10);
  EXPECT_EQ(LoadProgram("ManufIndex=-1").ManufIndex, 1);
  EXPECT_EQ(LoadProgram("ManufIndex=7").ManufIndex, 7);
  EXPECT_EQ(LoadProgram("DeviceIndex=-1").DeviceIndex, 0);
  EXPECT_EQ(LoadProgram("FFSave=2").FFSave, 0);
  EXPECT_EQ(LoadProgram("FFSave=1").FFSave, 1);
  EXPECT_EQ(LoadProgram("ShowDeviceData=2").ShowDeviceData, 0);
  EXPECT_EQ(LoadProgram("Verify=2").Verify, 1);
  EXPECT_EQ(LoadProgram("Verify=0").Verify, 0);
  EXPECT_EQ(LoadProgram("TestChecksum=0").TestChecksum, 0);
  EXPECT_EQ(LoadProgram("EndMessage=9").EndMessage, 1);
  EXPECT_EQ(LoadProgram("DataFormat=7").DataFormat, DataFormat::MotorolaS3);
  EXPECT_EQ(LoadProgram("DataFormat=8").DataFormat, DataFormat::Binary);
  EXPECT_EQ(LoadProgram("DataFormat=0").DataFormat, DataFormat::Binary);
  EXPECT_EQ(LoadProgram("ReadFilter=0").ReadFilter, 1);
  EXPECT_EQ(LoadProgram("ReadFilter=3").ReadFilter, 3);
  EXPECT_EQ(LoadProgram("InitRegister1=1C5").InitRegister1Value, 0xC5);
  EXPECT_EQ(LoadProgram("InitRegister1=0x7f").InitRegister1Value, 0x7F);
  EXPECT_EQ(LoadProgram("InitRegister1=zz").InitRegister1Value, 0);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SettingsFileTest, HexLineLenIsMadeEvenWithinOneByte) {
  EXPECT_EQ(LoadProgram("HexLineLen=33").HexLineLen, 32u);
  EXPECT_EQ(LoadProgram("HexLineLen=2").HexLineLen, 2u);
  EXPECT_EQ(LoadProgram("HexLineLen=255").HexLineLen, 254u);
  EXPECT_EQ(LoadProgram("HexLineLen=300").HexLineLen, 44u);
  EXPECT_EQ(LoadProgram("HexLineLen=-1").HexLineLen, 254u);
  EXPECT_TRUE(ui.Messages().empty());
  for (const char* shown : {"1", "0", "256", "-256"}) {
    EXPECT_EQ(LoadProgram(std::string("HexLineLen=") + shown).HexLineLen, 32u) << shown;
    EXPECT_EQ(ui.Messages(), std::vector<std::string>{HexLineLenMessage(shown)}) << shown;
  }
}

TEST_F(SettingsFileTest, BurnFilePathJoinsTheDataPathDirectoryWithTheLastFileName) {
  Settings settings =
      Load("[Ferolith INI-Section]\nDataPath=/data/burn/\nLastFile=/elsewhere/test.hex\n");
  EXPECT_EQ(settings.LastDirectory, "/data/burn/");
  EXPECT_EQ(settings.BurnFilePath, "/data/burn/test.hex");
  EXPECT_EQ(settings.BurnFileName, "test.hex");

  // Without a trailing separator the last component is taken as a file name.
  settings = Load("[Ferolith INI-Section]\nDataPath=/data/burn\nLastFile=test.hex\n");
  EXPECT_EQ(settings.LastDirectory, "/data/burn");
  EXPECT_EQ(settings.BurnFilePath, "/data/test.hex");

  // Values are read into a 260-character buffer.
  settings = Load("[Ferolith INI-Section]\nLastFile=" + std::string(300, 'a') + "\n");
  EXPECT_EQ(settings.BurnFileName, std::string(259, 'a'));
}

// The family's other programs write KALVENOR.INI in the Windows ANSI code
// page: "ü" and "ß" are the single bytes FC and DF there. Such a value reads
// as the same letters, and so does one this program wrote as UTF-8 before;
// a save writes them as the family reads them (on Windows the ANSI code
// page, elsewhere UTF-8). A long value is cut after 259 characters, never
// inside one.
TEST_F(SettingsFileTest, UmlautsInDataPathReadAndWriteInTheFamilysEncoding) {
  const std::string utf8 = "/Pr\xC3\xBC" "fung/Ma\xC3\x9F/";
  const std::string ansi = "/Pr\xFC" "fung/Ma\xDF/";
  Settings settings = Load("[Ferolith INI-Section]\nDataPath=" + ansi + "\nLastFile=t\xFC.hex\n");
  EXPECT_EQ(settings.LastDirectory, utf8);
  EXPECT_EQ(settings.BurnFilePath, utf8 + "t\xC3\xBC.hex");
  settings = Load("[Ferolith INI-Section]\nDataPath=" + utf8 + "\nLastFile=t\xC3\xBC.hex\n");
  EXPECT_EQ(settings.BurnFilePath, utf8 + "t\xC3\xBC.hex");

  ASSERT_TRUE(SaveSettings(settings).Saved());
  const std::string saved = ReadFileBytes(dir.File("KALVENOR.INI"));
#ifdef _WIN32
  const std::string written = ansi;
#else
  const std::string written = utf8;
#endif
  EXPECT_NE(saved.find("DataPath=" + written + "\n"), std::string::npos) << saved;
  EXPECT_EQ(Load(saved).BurnFilePath, utf8 + "t\xC3\xBC.hex");

  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xBC";
  settings = Load("[Ferolith INI-Section]\nDataPath=" + umlauts + "\n");
  ASSERT_EQ(settings.LastDirectory.size(), 2u * 259u);
  EXPECT_EQ(settings.LastDirectory, umlauts.substr(0, 2 * 259));
}

TEST_F(SettingsFileTest, SaveWritesEveryKeyInOrderAndLoadReadsItBack) {
  Settings settings;
  LoadSettings(ui, settings, dir.Path().string());
  settings.SetPortAdress(0x3BC);
  settings.SearchHardware = 4;
  settings.TimeOut = 250000;
  settings.TimeBaseKorr = 40;
  settings.MessageBeap = 0;
  settings.Verify = 0;
  settings.FFSave = 1;
  settings.XKoord = 120;
  settings.YKoord = 77;
  settings.DataFormat = DataFormat::MotorolaS2;
  settings.ManufIndex = 2;
  settings.DeviceIndex = 3;
  settings.TestChecksum = 0;
  settings.ShowDeviceData = 1;
  settings.ReadFilter = 3;
  settings.EndMessage = 1;
  settings.HexLineLen = 16;
  settings.InitRegister1Value = 0xC5;
  settings.DebugNT = 1;
  settings.BurnFilePath = "/data/burn/firmware.s19";
  EXPECT_TRUE(SaveSettings(settings).Saved());
  EXPECT_EQ(settings.BurnFileName, "firmware.s19");
  // A file written anew ends its lines as this platform does.
  EXPECT_EQ(ReadFileBytes(settings.IniPath),
            PlatformLines("[Hardware]\n"
            "PortAdress=3bc\n"
            "SearchHardware=4\n"
            "TimeOut=250000\n"
            "TimeBaseKorr=40\n"
            "MessageBeap=0\n"
            "[Ferolith INI-Section]\n"
            "Verify=0\n"
            "FFSave=1\n"
            "X-Koord=120\n"
            "Y-Koord=77\n"
            "DataFormat=6\n"
            "ManufIndex=2\n"
            "DeviceIndex=3\n"
            "TestChecksum=0\n"
            "ShowDeviceData=1\n"
            "ReadFilter=3\n"
            "EndMessage=1\n"
            "HexLineLen=16\n"
            "InitRegister1=c5\n"
            "DataPath=/data/burn/\n"
            "LastFile=firmware.s19\n"));

  // Loading gives the same record: a second save writes the same bytes.
  const std::string saved = ReadFileBytes(settings.IniPath);
  Settings reloaded;
  LoadSettings(ui, reloaded, dir.Path().string());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(reloaded.ControlPort, 0x3BE);
  EXPECT_EQ(reloaded.DebugNT, 0);  // never written
  EXPECT_EQ(reloaded.BurnFilePath, "/data/burn/firmware.s19");
  ASSERT_TRUE(SaveSettings(reloaded).Saved());
  EXPECT_EQ(ReadFileBytes(settings.IniPath), saved);
}

TEST_F(SettingsFileTest, AnUndecidedDataFormatIsSavedAsZeroAndReadBackAsBinary) {
  Settings settings;
  LoadSettings(ui, settings, dir.Path().string());
  settings.DataFormat = DataFormat::Undecided;
  ASSERT_TRUE(SaveSettings(settings).Saved());
  EXPECT_NE(ReadFileBytes(settings.IniPath).find(PlatformLines("DataFormat=0\n")), std::string::npos);
  LoadSettings(ui, settings, dir.Path().string());
  EXPECT_EQ(settings.DataFormat, DataFormat::Binary);
}

TEST_F(SettingsFileTest, SaveKeepsForeignSectionsCommentsCaseAndLineEndings) {
  const std::string original =
      "; KALVENOR.INI - shared by the programmer family\r\n"
      "[hardware]\r\n"
      "portadress = 378\r\n"
      "DebugNT=1\r\n"
      "\r\n"
      "[KalvenorDevil]\r\n"
      "Language=DE\r\n"
      "\r\n"
      "[FEROLITH ini-section]\r\n"
      "x-koord=5\r\n";
  Settings settings = Load(original);
  ASSERT_TRUE(SaveSettings(settings).Saved());
  const std::string saved = ReadFileBytes(settings.IniPath);
  EXPECT_EQ(saved.substr(0, saved.find("SearchHardware")),
            "; KALVENOR.INI - shared by the programmer family\r\n"
            "[hardware]\r\n"
            "portadress = 378\r\n"
            "DebugNT=1\r\n");
  EXPECT_NE(saved.find("\r\n\r\n[KalvenorDevil]\r\nLanguage=DE\r\n\r\n[FEROLITH ini-section]\r\n"
                       "x-koord=5\r\nVerify=1\r\n"),
            std::string::npos);
  EXPECT_EQ(saved.find("[Hardware]"), std::string::npos);
  EXPECT_EQ(saved.find("X-Koord"), std::string::npos);
  EXPECT_EQ(saved.find("\n\n"), std::string::npos);       // no bare LF added
  EXPECT_EQ(saved.find("\r\n", saved.size() - 2), saved.size() - 2);

  // A second save changes nothing more.
  ASSERT_TRUE(SaveSettings(settings).Saved());
  EXPECT_EQ(ReadFileBytes(settings.IniPath), saved);
}

TEST_F(SettingsFileTest, AReadOnlyFileKeepsItsContentAndTheProgramGoesOn) {
  const std::string original = "[Hardware]\nPortAdress=3bc\n";
  Settings settings = Load(original);
  std::filesystem::permissions(settings.IniPath, std::filesystem::perms::owner_read);
  settings.SetPortAdress(0x278);
  // The outcome names the error, for the caller to tell the user.
  const SaveOutcome readOnly = SaveSettings(settings);
  EXPECT_FALSE(readOnly.Saved());
  EXPECT_EQ(readOnly.error, EACCES);
  EXPECT_EQ(ReadFileBytes(settings.IniPath), original);
  EXPECT_TRUE(ui.Messages().empty());

  // A working directory that has gone away loses the changes the same way.
  settings.IniPath = dir.File("gone/KALVENOR.INI");
  const SaveOutcome gone = SaveSettings(settings);
  EXPECT_FALSE(gone.Saved());
  EXPECT_EQ(gone.error, ENOENT);
  EXPECT_FALSE(std::filesystem::exists(settings.IniPath));

  // A file that cannot be read is not replaced (its foreign keys would go).
  settings.IniPath = dir.Path().string();
  const SaveOutcome directory = SaveSettings(settings);
  EXPECT_FALSE(directory.Saved());
  EXPECT_NE(directory.error, 0);
}

}  // namespace
}  // namespace ferolith
