#include <gtest/gtest.h>

#include <filesystem>

#include "config/DeviceLibrary.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/Portable.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteFileBytes;

const char* const kLibraryText =
    "# test library\n"
    ":Alpha;Y\n"
    "A1;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;Y\n"
    "A-off;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;N\n"
    "A2;DIP14;13000;5000;170;0x800;0x800;0xF000;64;0x2FF;ACE12;y\n"
    ":Hidden;N\n"
    "H1;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;Y\n"
    ":Beta;y\n"
    "B1;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;Y\n"
    "B-bad;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE13;Y\n"
    "B-short;DIP8;Y\n"
    "B3;DIP14;12500;5000;4000;0;0x1000;0;0;0x2FF;ACE12;Y\n"
    ":Gamma;Y\n";

std::string BadChipMessage(const std::string& library) {
  return "B-bad\n\nUnbekannter Chip-Typ\n\n in '" + library + "' Datei";
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                        std::filesystem::directory_iterator()));
}

class DeviceLibraryTest : public ::testing::Test {
 protected:
  DeviceLibraryTest() {
    settings.IniPath = dir.File("KALVENOR.INI");
    WriteLibrary(kLibraryText);
  }
  void WriteLibrary(const std::string& text) { WriteFileBytes(dir.File("ACELIST.CSV"), text); }
  std::vector<std::string> DeviceNames(int manufIndex) {
    settings.ManufIndex = manufIndex;
    MemoryChoiceList list;
    library.FillDeviceList(list);
    return list.Names();
  }

  TempDir dir;
  ScriptedUi ui;
  Settings settings;
  DeviceEntry device;
  DeviceLibrary library{ui, settings, device};
};

TEST_F(DeviceLibraryTest, ManufacturerListHoldsTheFlaggedManufacturersInFileOrder) {
  MemoryChoiceList list;
  list.Add("kept");  // the list is filled once and not cleared
  settings.ManufIndex = 2;
  EXPECT_EQ(library.FillManufacturerList(list), Result::Ok);
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"kept", "Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(settings.ManufIndex, 2);
  EXPECT_EQ(list.Selected(), 2);

  MemoryChoiceList again;
  settings.ManufIndex = 3;  // beyond the three manufacturers
  library.FillManufacturerList(again);
  EXPECT_EQ(settings.ManufIndex, 0);
  EXPECT_EQ(again.Selected(), 0);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DeviceLibraryTest, MissingLibraryIsReportedAndTheListsSayItIsEmpty) {
  std::filesystem::remove(dir.File("ACELIST.CSV"));
  settings.ManufIndex = 1;
  MemoryChoiceList manufacturers;
  EXPECT_EQ(library.FillManufacturerList(manufacturers), Result::LibraryError);
  EXPECT_EQ(manufacturers.Names(), std::vector<std::string>{"Keine Hersteller"});
  EXPECT_EQ(settings.ManufIndex, 1);
  EXPECT_EQ(library.LoadSelectedDevice(), Result::LibraryError);
  EXPECT_EQ(library.LibraryPath(), dir.File("ACELIST.CSV"));
  // Each message names the file it looked for.
  const std::string missing = "Kann Bauteilbibliothek nicht öffnen !\n\n" + dir.File("ACELIST.CSV");
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{missing, missing}));

  WriteLibrary("# nothing here\n:Off;N\n");
  MemoryChoiceList none;
  EXPECT_EQ(library.FillManufacturerList(none), Result::EndOfList);
  EXPECT_EQ(none.Names(), std::vector<std::string>{"Keine Hersteller"});
  EXPECT_EQ(settings.ManufIndex, 0);
}

TEST_F(DeviceLibraryTest, DeviceListHoldsTheValidFlaggedDevicesOfTheManufacturer) {
  EXPECT_EQ(DeviceNames(0), (std::vector<std::string>{"A1", "A2"}));
  EXPECT_TRUE(ui.Messages().empty());
  // The devices below a disabled manufacturer belong to no one.
  EXPECT_EQ(DeviceNames(1), (std::vector<std::string>{"B1", "B3"}));
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{BadChipMessage(library.LibraryPath())});
  ui.Clear();

  settings.ManufIndex = 2;
  MemoryChoiceList empty;
  empty.Add("old");
  EXPECT_EQ(library.FillDeviceList(empty), Result::EndOfList);
  EXPECT_EQ(empty.Names(), std::vector<std::string>{"Keine Bausteine"});

  settings.ManufIndex = 3;
  settings.DeviceIndex = 1;
  MemoryChoiceList missing;
  EXPECT_EQ(library.FillDeviceList(missing), Result::EndOfList);
  EXPECT_EQ(missing.Names(), std::vector<std::string>{"Keine Bausteine"});
  EXPECT_EQ(settings.DeviceIndex, 0);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{"Hersteller in Bibliothek nicht gefunden !"});
}

TEST_F(DeviceLibraryTest, ListEntryAndLoadedDeviceAgreeAroundInvalidLines) {
  // Beta holds B1, B-bad (fails validation), B-short (too few columns), B3.
  settings.ManufIndex = 1;
  MemoryChoiceList list;
  settings.DeviceIndex = 1;
  library.FillDeviceList(list);
  ASSERT_EQ(list.Names(), (std::vector<std::string>{"B1", "B3"}));
  EXPECT_EQ(list.Selected(), 1);
  ui.Clear();

  EXPECT_EQ(library.LoadSelectedDevice(), Result::Ok);
  EXPECT_EQ(device.Name, "B3");
  EXPECT_EQ(device.CodeEnd, 0x1000u);
  EXPECT_EQ(device.ChipType, ChipTypeCode::ACE12);
  EXPECT_TRUE(ui.Messages().empty());  // the invalid line is passed over quietly
  settings.DeviceIndex = 2;             // beyond the two listed devices
  EXPECT_EQ(library.LoadSelectedDevice(), Result::LibraryError);
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{"Keine Bausteine für diesen\n\n Hersteller in der Liste !"});

  // A line with too few columns between A and C: every list entry loads its
  // own line, with its own voltages, ranges and InitRegister1 address.
  WriteLibrary(":Maker;Y\n"
               "A;DIP8;12000;5000;100;0;0x400;0;0;0x2FF;ACE11;Y\n"
               "bad;DIP8;12500;Y\n"
               "C;DIP14;13000;5500;100;0x800;0x800;0xF000;64;0x3FE;ACE12;Y\n"
               "D;DIP8;11500;4500;100;0;0x1000;0;0;0x1FF;ACE11;Y\n");
  const std::vector<std::string> names = DeviceNames(0);
  ASSERT_EQ(names, (std::vector<std::string>{"A", "C", "D"}));
  const struct {
    std::uint8_t prog, oper;
    std::uint32_t codeEnd, initRegister1;
  } expected[] = {{120, 100, 0x400, 0x2FF}, {130, 110, 0x1000, 0x3FE}, {115, 90, 0x1000, 0x1FF}};
  for (int index = 0; index < 3; ++index) {
    SCOPED_TRACE(names[static_cast<std::size_t>(index)]);
    settings.DeviceIndex = index;
    device = DeviceEntry{};
    ASSERT_EQ(library.LoadSelectedDevice(), Result::Ok);
    EXPECT_EQ(device.Name, names[static_cast<std::size_t>(index)]);
    EXPECT_EQ(device.ProgVoltageCode, expected[index].prog);
    EXPECT_EQ(device.OperVoltageCode, expected[index].oper);
    EXPECT_EQ(device.CodeEnd, expected[index].codeEnd);
    EXPECT_EQ(device.InitRegister1Address, expected[index].initRegister1);
  }
}

TEST_F(DeviceLibraryTest, LoadSelectedDeviceFillsTheRecordAtTheCurrentTimeBase) {
  settings.ManufIndex = 0;
  settings.DeviceIndex = 1;
  settings.TimeBaseKorr = 85;
  ASSERT_EQ(library.LoadSelectedDevice(), Result::Ok);
  EXPECT_EQ(device.Name, "A2");
  EXPECT_EQ(device.MaxProgPolls, 2u);
  EXPECT_EQ(device.DataEnd, 0xF040u);
  settings.TimeBaseKorr = 17;
  ASSERT_EQ(library.LoadSelectedDevice(), Result::Ok);
  EXPECT_EQ(device.MaxProgPolls, 10u);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DeviceLibraryTest, ADeviceBeyondTheBlockIsReportedByWhatEndsIt) {
  settings.ManufIndex = 0;
  settings.DeviceIndex = 2;
  EXPECT_EQ(library.LoadSelectedDevice(), Result::LibraryError);
  settings.ManufIndex = 1;
  settings.DeviceIndex = 4;
  EXPECT_EQ(library.LoadSelectedDevice(), Result::LibraryError);
  settings.ManufIndex = 2;
  settings.DeviceIndex = 0;
  EXPECT_EQ(library.LoadSelectedDevice(), Result::LibraryError);
  settings.ManufIndex = 5;
  EXPECT_EQ(library.LoadSelectedDevice(), Result::LibraryError);
  EXPECT_EQ(ui.Messages(),
            (std::vector<std::string>{"Keine Bausteine für diesen\n\n Hersteller in der Liste !",
                                      "Keine Bausteine für diesen\n\n Hersteller in der Liste !",
                                      "Fehler beim lesen der Bibliothek !",
                                      "Hersteller in Bibliothek nicht gefunden !"}));
}

TEST_F(DeviceLibraryTest, CrLfLinesReadLikeLfAndTheLastLineNeedsItsNewline) {
  std::string crlf;
  for (const char* p = kLibraryText; *p != '\0'; ++p) {
    if (*p == '\n') crlf += '\r';
    crlf += *p;
  }
  WriteLibrary(crlf);
  EXPECT_EQ(DeviceNames(0), (std::vector<std::string>{"A1", "A2"}));

  // Without a final newline the last line's flag is its second-to-last character.
  WriteLibrary(":Alpha;Y\nA1;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;Y\n"
               "A2;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;Y");
  EXPECT_EQ(DeviceNames(0), std::vector<std::string>{"A1"});
  WriteLibrary(":Alpha;Y\nA1;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;YY");
  EXPECT_EQ(DeviceNames(0), std::vector<std::string>{"A1"});
}

TEST_F(DeviceLibraryTest, OverlongLinesAndNulBytesCannotSmuggleInEntries) {
  const std::string a1 = "A1;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;Y\n";
  // 1023 characters are read as one line; the rest arrives as a line of its
  // own, here one with too few columns.
  WriteLibrary(":Alpha;Y\n" + std::string(1100, 'x') + ";Y\n" + a1 +
               std::string("A0;DIP8;12500;5000;4000;0;0x400;0;0;0x2FF;ACE11;\0Y\n", 51) + a1);
  EXPECT_EQ(DeviceNames(0), (std::vector<std::string>{"A1", "A1"}));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DeviceLibraryTest, SelectionChangesRefillAndReload) {
  MemoryChoiceList manufacturers;
  MemoryChoiceList devices;
  library.FillManufacturerList(manufacturers);
  settings.DeviceIndex = 1;
  library.FillDeviceList(devices);
  ASSERT_EQ(devices.Selected(), 1);

  manufacturers.Select(1);
  library.OnManufacturerChanged(manufacturers, devices);
  EXPECT_EQ(settings.ManufIndex, 1);
  EXPECT_EQ(devices.Names(), (std::vector<std::string>{"B1", "B3"}));
  EXPECT_EQ(settings.DeviceIndex, 1);  // kept while the new block is long enough

  devices.Select(0);
  library.OnDeviceChanged(devices);
  EXPECT_EQ(settings.DeviceIndex, 0);
  EXPECT_EQ(device.Name, "B1");

  manufacturers.Select(2);
  settings.DeviceIndex = 1;
  library.OnManufacturerChanged(manufacturers, devices);
  EXPECT_EQ(settings.DeviceIndex, 0);
  EXPECT_EQ(devices.Names(), std::vector<std::string>{"Keine Bausteine"});
}

TEST_F(DeviceLibraryTest, EveryOperationClosesTheLibraryOnEveryPath) {
  SKIP_ON_WINDOWS("the open descriptors are counted in /proc");
  const int before = OpenDescriptors();
  MemoryChoiceList list;
  library.FillManufacturerList(list);
  for (int manufIndex : {0, 1, 2, 7}) {
    settings.ManufIndex = manufIndex;
    for (int deviceIndex : {0, 1, 2, 3, 9}) {
      settings.DeviceIndex = deviceIndex;
      library.FillDeviceList(list);
      library.LoadSelectedDevice();
    }
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(SampleLibrary, EveryEntryOfTheShippedLibraryIsValid) {
  TempDir dir;
  std::filesystem::copy_file(testing::SourceDir() / "resources" / "ACELIST.CSV",
                             dir.Path() / "ACELIST.CSV");
  ScriptedUi ui;
  Settings settings;
  settings.IniPath = dir.File("KALVENOR.INI");
  DeviceEntry device;
  DeviceLibrary library(ui, settings, device);

  MemoryChoiceList manufacturers;
  ASSERT_EQ(library.FillManufacturerList(manufacturers), Result::Ok);
  EXPECT_GE(manufacturers.Names().size(), 3u);
  int devicesLoaded = 0;
  for (std::size_t m = 0; m < manufacturers.Names().size(); ++m) {
    settings.ManufIndex = static_cast<int>(m);
    MemoryChoiceList devices;
    ASSERT_EQ(library.FillDeviceList(devices), Result::Ok);
    for (std::size_t d = 0; d < devices.Names().size(); ++d, ++devicesLoaded) {
      settings.DeviceIndex = static_cast<int>(d);
      ASSERT_EQ(library.LoadSelectedDevice(), Result::Ok);
      EXPECT_EQ(device.Name, devices.Names()[d]);
    }
  }
  EXPECT_GE(devicesLoaded, 8);
  EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace ferolith
