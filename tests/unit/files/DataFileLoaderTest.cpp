#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "files/DataFileLoader.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteFileBytes;

DeviceEntry Device(std::uint32_t codeStart, std::uint32_t codeSize, std::uint32_t dataStart = 0,
                   std::uint32_t dataSize = 0) {
  DeviceEntry device;
  device.CodeStart = codeStart;
  device.CodeSize = codeSize;
  device.CodeEnd = codeStart + codeSize;
  device.DataStart = dataStart;
  device.DataSize = dataSize;
  device.DataEnd = dataSize == 0 ? 0 : dataStart + dataSize;
  return device;
}

class DataFileLoaderTest : public ::testing::Test {
 protected:
  // Writes `contents` to a file and loads it for `area` of `device`.
  ResultCode Load(const std::string& contents, const DeviceEntry& device,
                  MemoryArea area = MemoryArea::ProgramMemory) {
    const std::string path = dir.File("burn.hex");
    WriteFileBytes(path, contents);
    DataFileLoader loader(ui, *image, device, settings);
    return loader.LoadDataFile(path, area);
  }

  DataFormat Detect(const std::string& contents) {
    const std::string path = dir.File("detect.hex");
    WriteFileBytes(path, contents);
    const DeviceEntry device = Device(0, 0x1000);
    DataFileLoader loader(ui, *image, device, settings);
    return loader.DetectFileFormat(path, false);
  }

  std::vector<std::string> Messages() const { return ui.Messages(); }

  TempDir dir;
  ScriptedUi ui;
  std::unique_ptr<MemoryImage> image = std::make_unique<MemoryImage>();
  Settings settings;
};

TEST_F(DataFileLoaderTest, DetectsTheFormatFromTheFirstLines) {
  EXPECT_EQ(Detect("S00F0000544F525645582056312E3030D3\nS1040800559E\n"), DataFormat::MotorolaS1);
  EXPECT_EQ(Detect("S2050008015599\n"), DataFormat::MotorolaS2);
  EXPECT_EQ(Detect("S30600000802559A\n"), DataFormat::MotorolaS3);
  EXPECT_EQ(Detect(std::string("\x01\x02\x03\x04", 4)), DataFormat::Binary);
  EXPECT_EQ(Detect(":020000020000FC\r\n:020000040000FA\r\n"), DataFormat::Intel32);
  EXPECT_EQ(Detect(":020000020000FC\n:0100000011EE\n"), DataFormat::IntelMCS);
  EXPECT_EQ(Detect(":020000040000FA\n"), DataFormat::Intel32);
  EXPECT_EQ(Detect(":0100000011EE\n"), DataFormat::Intel8);
  // Records that name no variant are still HEX text, never a binary image.
  EXPECT_EQ(Detect(":020000020000FC\n"), DataFormat::IntelMCS);
  EXPECT_EQ(Detect(":00000001FF\n"), DataFormat::Intel8);
  EXPECT_EQ(Detect(":00000001FF\n:020000040000FA\n"), DataFormat::Intel32);
  EXPECT_EQ(Detect("S00F0000\nS9030000FC\nS1040800559E\n"), DataFormat::MotorolaS1);
  EXPECT_EQ(Detect(""), DataFormat::Binary);
  // The second line decides when the first does not.
  EXPECT_EQ(Detect("; comment\n:0100000011EE\n"), DataFormat::Intel8);
  // The last two characters of a line are its line end and are not tested;
  // the test ends at a NUL byte.
  EXPECT_EQ(Detect("\x01\n"), DataFormat::Binary);  // undecided, not found binary
  EXPECT_EQ(Detect("S1\x01\n"), DataFormat::MotorolaS1);
  EXPECT_EQ(Detect(std::string("S1\0\x01\x02\x03\n", 7)), DataFormat::MotorolaS1);
  EXPECT_EQ(Detect("S1\x01xx\n"), DataFormat::Binary);
  EXPECT_EQ(Detect(":10\x80\x30xx\n"), DataFormat::Binary);
  EXPECT_EQ(Detect("S1\x7F\x7Fxx\n"), DataFormat::MotorolaS1);  // DEL counts as text
  EXPECT_EQ(settings.DataFormat, DataFormat::MotorolaS1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DataFileLoaderTest, AByteOrderMarkLeadingBlankLinesAndLowerCaseRecordsAreText) {
  EXPECT_EQ(Detect("\xEF\xBB\xBF:0100000011EE\r\n"), DataFormat::Intel8);
  EXPECT_EQ(Detect("\n\n:020000040000FA\n"), DataFormat::Intel32);
  EXPECT_EQ(Detect("\xEF\xBB\xBF\r\n \r\n\ts30600000802559a\n"), DataFormat::Binary);  // a tab in the line
  EXPECT_EQ(Detect("\xEF\xBB\xBF\r\n \r\ns30600000802559a\n"), DataFormat::MotorolaS3);
  EXPECT_EQ(Detect("s113000000010203040506070809101112131415AB\n"), DataFormat::MotorolaS1);
  EXPECT_TRUE(Messages().empty());

  // Each of them loads its records, not its characters.
  const DeviceEntry device = Device(0, 0x1000);
  for (const std::string text : {"\xEF\xBB\xBF:0300300002337A1E\r\n:00000001FF\r\n",
                                 "\n\r\n:0300300002337A1E\n", "s106003002337a1a\ns9030000fc\n"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Load(text, device), Result::Ok);
    EXPECT_EQ(image->byteCount, 3u);
    EXPECT_EQ(image->bytes[0x30], 0x02);
    EXPECT_EQ(image->bytes[0x00], 0xFF);
  }
  EXPECT_EQ(Load(":00000001FF\n", device), Result::Ok);
  EXPECT_EQ(image->byteCount, 0u);
  EXPECT_EQ(image->bytes[0x00], 0xFF);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DataFileLoaderTest, PlainTextOfNeitherFormatIsRefused) {
  const std::string path = dir.File("burn.hex");
  const std::string refused = "Fehler beim Laden der Datei\n\n" + path +
                              "\n\nDie Datei enthält Text, aber weder Intel-HEX- noch "
                              "Motorola-S-Records.\nSie wird nicht als Binärdatei geladen.";
  for (const std::string text : {"hello\nworld\n:0100000011EE\n", "\xEF\xBB\xBF\n\nREADME\r\n",
                                 "x", "Intel HEX folgt\nin Zeile 3 \t\n", "Siehe\nspaeter\n"}) {
    SCOPED_TRACE(text);
    ui.Clear();
    settings.DataFormat = DataFormat::Intel8;
    image->bytes[0] = 0x00;
    EXPECT_EQ(Load(text, Device(0, 0x1000)), Result::FileNotLoaded);
    EXPECT_EQ(Messages(), std::vector<std::string>{refused});
    EXPECT_EQ(settings.DataFormat, DataFormat::Undecided);
    EXPECT_EQ(image->bytes[0], 0x00);  // nothing loaded
  }
  // The same for a companion file.
  ui.Clear();
  EXPECT_EQ(Load("kein HEX\n", Device(0, 0x1000, 0x2000, 0x40), MemoryArea::DataEeprom),
            Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{refused});
}

TEST_F(DataFileLoaderTest, BinaryImagesLoadByteForByteAsBefore) {
  // Control bytes after blank lines, a byte-order mark followed by binary
  // bytes, erased cells, a short file with a control byte: all binary, all
  // loaded from address 0 exactly as they are.
  for (const std::string& bytes :
       {std::string("\n\n\x02\x00\x10\x80\x12\x34\n", 9), std::string("\xEF\xBB\xBF\x01\x02\x03\xFF\x00", 8),
        std::string("\xFF\xFF"), std::string("\x01\n"), std::string("\n\n\n")}) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    ui.Clear();
    ASSERT_EQ(Load(bytes, Device(0, 0x1000)), Result::Ok);
    EXPECT_EQ(settings.DataFormat, DataFormat::Binary);
    EXPECT_EQ(image->byteCount, bytes.size());
    EXPECT_EQ(std::string(image->bytes.begin(), image->bytes.begin() + bytes.size()), bytes);
    EXPECT_EQ(image->bytes[bytes.size()], 0xFF);
    EXPECT_TRUE(Messages().empty());
  }
}

TEST_F(DataFileLoaderTest, OnlyAMissingCompanionFileIsPassedOverSilently) {
  const DeviceEntry device = Device(0, 0x1000, 0x2000, 0x40);
  DataFileLoader loader(ui, *image, device, settings);
  const std::string missing = dir.File("missing.rex");
  settings.DataFormat = DataFormat::Intel8;
  EXPECT_EQ(loader.LoadCompanionFile(missing), DataFileLoader::Companion::Absent);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(settings.DataFormat, DataFormat::Undecided);

  const std::string notFound = "Fehler beim Öffnen der Datei\n\n" + missing +
                               "\n\nDatei oder Verzeichnis existiert nicht";
  EXPECT_EQ(loader.LoadDataFile(missing, MemoryArea::ProgramMemory), Result::FileNotLoaded);
  EXPECT_EQ(loader.LoadDataFile(missing, MemoryArea::DataEeprom), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), (std::vector<std::string>{notFound, notFound}));

  // One that is there loads, or is refused with its reason.
  ui.Clear();
  WriteFileBytes(missing, ":01200000AA35\n");
  EXPECT_EQ(loader.LoadCompanionFile(missing), DataFileLoader::Companion::Loaded);
  EXPECT_EQ(image->bytes[0x2000], 0xAA);
  WriteFileBytes(missing, ":01300000AA25\n");
  EXPECT_EQ(loader.LoadCompanionFile(missing), DataFileLoader::Companion::Failed);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].starts_with("Zuviele EEpromdaten")) << Messages()[0];
}

TEST_F(DataFileLoaderTest, HexFileWithoutDataPassesTheRangeCheck) {
  EXPECT_EQ(Load(":020000040000FA\n:00000001FF\n", Device(0x0800, 0x0800)), Result::Ok);
  EXPECT_EQ(image->byteCount, 0u);
  EXPECT_EQ(image->highestAddress, 0u);
  EXPECT_EQ(image->lowestAddress, 0xFFFFFFFFu);
  EXPECT_TRUE(Messages().empty());
}

// A file cut off without its end record, or one whose records give an
// address two different bytes, loads as always (the last byte wins) with a
// warning that names the file and the lines; it adds no message box.
TEST_F(DataFileLoaderTest, NoEndRecordOrAnOverwrittenByteLoadsWithAWarning) {
  using Kind = ScriptedUi::Kind;
  const std::string path = dir.File("burn.hex");
  const auto warnings = [this] { return ui.Texts(Kind::Warning); };
  const DeviceEntry device = Device(0, 0x1000);

  EXPECT_EQ(Load(":020000040000FA\n:0300300002337A1E\n", device), Result::Ok);
  EXPECT_EQ(image->bytes[0x32], 0x7A);
  EXPECT_EQ(warnings(), std::vector<std::string>{"Die Datei '" + path +
                                                 "' endet ohne Ende-Record, vielleicht ist sie unvollständig; "
                                                 "zuletzt gelesen: Zeile 2 \":0300300002337A1E\""});
  EXPECT_TRUE(Messages().empty());

  ui.Clear();
  EXPECT_EQ(Load("S00600004844521B\nS1040800559E\n", Device(0x0800, 0x0800)), Result::Ok);
  EXPECT_EQ(warnings(), std::vector<std::string>{"Die Datei '" + path +
                                                 "' endet ohne Ende-Record, vielleicht ist sie unvollständig; "
                                                 "zuletzt gelesen: Zeile 2 \"S1040800559E\""});

  // 0x30 written as 0x02 by line 1, then as 0x55 by line 2.
  ui.Clear();
  EXPECT_EQ(Load(":0300300002337A1E\n:01003000557A\n:00000001FF\n", device), Result::Ok);
  EXPECT_EQ(image->bytes[0x30], 0x55);
  EXPECT_EQ(image->bytes[0x31], 0x33);
  EXPECT_EQ(warnings(), std::vector<std::string>{"Die Datei '" + path +
                                                 "' beschreibt Adresse 0x0030 zweimal: Zeile 1 mit 0x02, "
                                                 "Zeile 2 mit 0x55, die zweite gilt"});
  // More than one byte: counted. The same byte again is no overwrite.
  ui.Clear();
  EXPECT_EQ(Load(":0300300002337A1E\n:0100300002CD\n:02003100556612\n:00000001FF\n", device), Result::Ok);
  EXPECT_EQ(warnings(), std::vector<std::string>{"Die Datei '" + path +
                                                 "' beschreibt Adresse 0x0031 zweimal: Zeile 1 mit 0x33, "
                                                 "Zeile 3 mit 0x55, die zweite gilt (2 Bytes überschrieben)"});
  ui.Clear();
  EXPECT_EQ(Load("S1050030AABB65\nS1040031CCFE\nS9030000FC\n", device), Result::Ok);
  EXPECT_EQ(warnings(), std::vector<std::string>{"Die Datei '" + path +
                                                 "' beschreibt Adresse 0x0031 zweimal: Zeile 1 mit 0xBB, "
                                                 "Zeile 2 mit 0xCC, die zweite gilt"});

  // A file that is refused warns of nothing: its message says it all.
  ui.Clear();
  EXPECT_EQ(Load(":0300300002337A1E\n", Device(0x0800, 0x0800)), Result::FileNotLoaded);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(warnings().empty());
  // Nor does a binary image, which has no records.
  ui.Clear();
  EXPECT_EQ(Load(std::string("\x01\x02\x00\x04", 4), device), Result::Ok);
  EXPECT_TRUE(warnings().empty());
}

TEST_F(DataFileLoaderTest, LoadsHexIntoAFreshlyBlankedImage) {
  image->bytes.fill(0x00);
  EXPECT_EQ(Load("S1040800559E\nS9030000FC\n", Device(0x0800, 0x0800)), Result::Ok);
  EXPECT_EQ(image->bytes[0x0800], 0x55);
  EXPECT_EQ(image->bytes[0x0801], 0xFF);
  EXPECT_EQ(image->bytes[0x0000], 0xFF);
  EXPECT_EQ(settings.DataFormat, DataFormat::MotorolaS1);
}

TEST_F(DataFileLoaderTest, ChecksumOptionReachesTheReaders) {
  settings.TestChecksum = 0;
  EXPECT_EQ(Load(":0300300002337A1F\n", Device(0, 0x1000)), Result::Ok);
  settings.TestChecksum = 1;
  EXPECT_EQ(Load(":0300300002337A1F\n", Device(0, 0x1000)), Result::FileNotLoaded);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(DataFileLoaderTest, BinaryFileMayFillTheProgramMemoryExactly) {
  const DeviceEntry device = Device(0, 0x0400);
  std::string bytes(0x0400, '\x00');
  bytes[0x3FF] = '\x5A';
  EXPECT_EQ(Load(bytes, device), Result::Ok);
  EXPECT_EQ(image->bytes[0x3FF], 0x5A);
  EXPECT_EQ(image->bytes[0x400], 0xFF);
  EXPECT_EQ(image->byteCount, 0x400u);
  EXPECT_EQ(image->lowestAddress, 0u);
  EXPECT_EQ(image->highestAddress, 0x3FFu);

  EXPECT_EQ(Load(bytes + '\x00', device), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Zuviele Daten für diesen Baustein !\n\nMaximale Anzahl Bytes: 1024\n"
                            "Anzahl Bytes in Brenndatei: 1025\n"});
}

TEST_F(DataFileLoaderTest, EmptyBinaryFileIsAFileError) {
  const std::string path = dir.File("burn.hex");
  EXPECT_EQ(Load("", Device(0, 0x0400)), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler beim Öffnen der Datei\n\n" + path + "\n\n "});
}

TEST_F(DataFileLoaderTest, DirectoriesDevicesAndPipesAreNoBurnFiles) {
  const DeviceEntry device = Device(0, 0x1000, 0x2000, 0x40);
#ifdef _WIN32
  // Windows has one device for both /dev/null and /dev/zero, NUL, and no
  // pipes in folders.
  const std::vector<std::string> paths{dir.Path().string(), "NUL"};
#else
  const std::string fifo = dir.File("pipe.hex");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // /dev/zero never ends and the pipe has no writer: neither may be opened.
  const std::vector<std::string> paths{dir.Path().string(), "/dev/null", "/dev/zero", fifo};
#endif
  for (const std::string& path : paths) {
    ui.Clear();
    image->byteCount = 7;
    DataFileLoader loader(ui, *image, device, settings);
    EXPECT_EQ(loader.LoadDataFile(path, MemoryArea::ProgramMemory), Result::FileNotLoaded) << path;
    EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler beim Öffnen der Datei\n\n" + path +
                                                   "\n\nKeine gewöhnliche Datei (Verzeichnis oder Gerät)"});
    EXPECT_EQ(image->byteCount, 0u);
    EXPECT_EQ(settings.DataFormat, DataFormat::Undecided);
    // As a companion file it is refused all the same: it is there, but
    // cannot be what the user meant.
    ui.Clear();
    EXPECT_EQ(loader.LoadCompanionFile(path), DataFileLoader::Companion::Failed) << path;
    EXPECT_EQ(Messages().size(), 1u);
  }
}

TEST_F(DataFileLoaderTest, UnreadableBurnFileIsAFileError) {
  // Permission bits do not stop root; a path below a regular file fails to
  // open for everybody (ENOTDIR).
  const std::string blocker = dir.File("plain");
  WriteFileBytes(blocker, "x");
  std::vector<std::string> paths{blocker + "/burn.hex"};
#ifndef _WIN32
  if (::geteuid() != 0) {
    const std::string locked = dir.File("locked.hex");
    WriteFileBytes(locked, ":0100000011EE\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    paths.push_back(locked);
  }
#endif
  const DeviceEntry device = Device(0, 0x1000);
  for (const std::string& path : paths) {
    ui.Clear();
    DataFileLoader loader(ui, *image, device, settings);
    EXPECT_EQ(loader.LoadDataFile(path, MemoryArea::ProgramMemory), Result::FileNotLoaded);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Fehler beim Öffnen der Datei\n\n" + path + "\n\n", 0), 0u);
    EXPECT_EQ(image->byteCount, 0u);
  }
}

TEST_F(DataFileLoaderTest, BinaryFileBelowTheProgramMemoryIsOutside) {
  EXPECT_EQ(Load(std::string("\x01\x02\x03", 3), Device(0x0800, 0x0800)), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Adresse außerhalb des Programmdatenbereichs !\n\n"
                            "Kleinste erlaubte Adresse: 2048\nKleinste gefundene Adresse: 0\n"});
  // Blank bytes first do not hide a data byte below the start: it is named.
  ui.Clear();
  EXPECT_EQ(Load(std::string(0x7FF, '\xFF') + std::string("\x00\x42", 2), Device(0x0800, 0x0800)),
            Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Adresse außerhalb des Programmdatenbereichs !\n\n"
                            "Kleinste erlaubte Adresse: 2048\nKleinste gefundene Adresse: 2047\n"});
}

// A binary read-out of an area above 0 writes the cells below it as 0xFF,
// since a binary file starts at address 0: that blank fill is no data, so
// the file loads back into the area it was read from.
TEST_F(DataFileLoaderTest, TheBlankFillBelowAnAreaIsNoData) {
  const std::string code = std::string(0x800, '\xFF') + std::string("\x12\x34\xFF\x56", 4);
  ASSERT_EQ(Load(code, Device(0x0800, 0x0800)), Result::Ok);
  EXPECT_EQ(image->lowestAddress, 0x800u);
  EXPECT_EQ(image->highestAddress, 0x803u);
  EXPECT_EQ(image->byteCount, 4u);
  EXPECT_EQ(image->bytes[0x800], 0x12);
  EXPECT_EQ(image->bytes[0x803], 0x56);

  const DeviceEntry device = Device(0, 0x0800, 0xF000, 0x40);
  ASSERT_EQ(Load(std::string(0xF000, '\xFF') + std::string(0x40, '\x5A'), device, MemoryArea::DataEeprom),
            Result::Ok);
  EXPECT_EQ(image->lowestAddress, 0xF000u);
  EXPECT_EQ(image->byteCount, 0x40u);
  EXPECT_EQ(image->bytes[0xF03F], 0x5A);
  // A blank data EEPROM is read out as one byte 0xFF: a file without data.
  for (const std::size_t size : {std::size_t{1}, std::size_t{0xF000}}) {
    ASSERT_EQ(Load(std::string(size, '\xFF'), device, MemoryArea::DataEeprom), Result::Ok) << size;
    EXPECT_EQ(image->byteCount, 0u);
    EXPECT_EQ(image->lowestAddress, 0xFFFFFFFFu);
  }
  EXPECT_TRUE(Messages().empty());

  // An area at 0 keeps every byte as data, 0xFF included.
  ASSERT_EQ(Load(std::string(3, '\xFF'), Device(0, 0x800)), Result::Ok);
  EXPECT_EQ(image->byteCount, 3u);
  EXPECT_EQ(image->lowestAddress, 0u);
}

TEST_F(DataFileLoaderTest, DataAboveTheProgramMemoryAreTooMany) {
  EXPECT_EQ(Load(":0100000011EE\n:01100000559A\n", Device(0x0800, 0x0800)), Result::FileNotLoaded);
  EXPECT_TRUE(Messages()[0].starts_with("Adresse außerhalb des Programmdatenbereichs !"));

  ui.Clear();
  EXPECT_EQ(Load(":01080000AA4D\n:01100000559A\n", Device(0x0800, 0x0800)), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Zuviele Programmdaten für diesen Controller-Typ !\n\nErlaubt: 4096 Bytes\n"
                            "Gelesen: 2 Bytes\n\nHöchste erlaubte Adresse: 4095\nHöchste gefundene Adresse: 4096\n"});

  // A byte beyond 64 KiB is not stored but still shown as the highest address.
  ui.Clear();
  EXPECT_EQ(Load(":020000040001F9\n:0100000055AA\n", Device(0, 0x10000)), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Zuviele Programmdaten für diesen Controller-Typ !\n\nErlaubt: 65536 Bytes\n"
                            "Gelesen: 1 Bytes\n\nHöchste erlaubte Adresse: 65535\nHöchste gefundene Adresse: 65536\n"});
  EXPECT_EQ(image->bytes[0], 0xFF);
}

TEST_F(DataFileLoaderTest, CompanionFileIsCheckedAgainstTheDataEeprom) {
  const DeviceEntry device = Device(0, 0x0800, 0x2100, 0x40);
  EXPECT_EQ(Load(":01213F00AAF5\n", device, MemoryArea::DataEeprom), Result::Ok);
  EXPECT_EQ(image->bytes[0x213F], 0xAA);

  EXPECT_EQ(Load(":0120FF00AA36\n", device, MemoryArea::DataEeprom), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Adresse außerhalb des EEPROM-Datenbereichs !\n\n"
                            "Kleinste erlaubte Adresse: 8448\nKleinste gefundene Adresse: 8447\n"});
  ui.Clear();
  EXPECT_EQ(Load(":01214000AAF4\n", device, MemoryArea::DataEeprom), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Zuviele EEpromdaten für diesen Controller-Typ !\n\nErlaubt: 8512 Bytes\n"
                            "Gelesen: 1 Bytes\n\nHöchste erlaubte Adresse: 8511\nHöchste gefundene Adresse: 8512\n"});
}

TEST_F(DataFileLoaderTest, CompanionFileForADeviceWithoutDataEepromAlwaysFails) {
  // The area has no cells, so no highest allowed address is shown (it
  // would wrap around to 4294967295).
  EXPECT_EQ(Load(":020000040000FA\n:00000001FF\n", Device(0, 0x0800), MemoryArea::DataEeprom),
            Result::FileNotLoaded);
  EXPECT_EQ(Load(":0100F000AA65\n", Device(0, 0x0800), MemoryArea::DataEeprom), Result::FileNotLoaded);
  const std::string none = "Zuviele EEpromdaten für diesen Controller-Typ !\n\n"
                           "Der Baustein hat keinen EEPROM-Datenspeicher.\nGelesen: ";
  EXPECT_EQ(Messages(), (std::vector<std::string>{none + "0 Bytes\n", none + "1 Bytes\n"}));
  // The same for a program memory without cells (start 0x100, size 0).
  ui.Clear();
  EXPECT_EQ(Load(":01010000AA54\n", Device(0x100, 0)), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Zuviele Programmdaten für diesen Controller-Typ !\n\n"
                            "Der Baustein hat keinen Programmspeicher.\nGelesen: 1 Bytes\n"});
}

TEST_F(DataFileLoaderTest, BinaryCompanionFileIsBoundByTheDataEepromEnd) {
  const DeviceEntry device = Device(0, 0x1000, 0, 0x80);
  EXPECT_EQ(Load(std::string(0x80, '\x11'), device, MemoryArea::DataEeprom), Result::Ok);
  EXPECT_EQ(Load(std::string(0x81, '\x11'), device, MemoryArea::DataEeprom), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Zuviele Daten für diesen Baustein !\n\nMaximale Anzahl Bytes: 128\n"
                            "Anzahl Bytes in Brenndatei: 129\n"});
}

TEST_F(DataFileLoaderTest, ParseErrorFailsTheLoad) {
  EXPECT_EQ(Load(":0100000011EE\nxyz\n", Device(0, 0x1000)), Result::FileNotLoaded);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Zeilenanfang in Zeile 2\nder Hex-Datei nicht gefunden !"});
}

}  // namespace
}  // namespace ferolith
