#include <gtest/gtest.h>

#include "config/DeviceLineParser.h"
#include "config/LibraryLine.h"
#include "tests/support/ScriptedUi.h"

namespace ferolith {
namespace {

using testing::ScriptedUi;

const char* const kLibrary = "/lib/ACELIST.CSV";

std::vector<std::string> Fields(std::string_view line, ResultCode& last) {
  FieldReader reader(line);
  std::vector<std::string> fields;
  std::string text;
  while ((last = reader.NextField(text)) == Result::Ok) fields.push_back(text);
  return fields;
}

TEST(LibraryLine, RecordFlagIsTheCharacterBeforeTheLast) {
  EXPECT_TRUE(RecordFlagCounts("dev;Y\n"));
  EXPECT_TRUE(RecordFlagCounts("dev;y\n"));
  EXPECT_FALSE(RecordFlagCounts("dev;N\n"));
  EXPECT_FALSE(RecordFlagCounts("dev;Y"));  // the last line without newline: flag is ';'
  EXPECT_TRUE(RecordFlagCounts("dev;YZ"));
  EXPECT_FALSE(RecordFlagCounts("Y"));
  EXPECT_FALSE(RecordFlagCounts(""));
  EXPECT_TRUE(IsManufacturerLine(":A;Y\n"));
  EXPECT_FALSE(IsManufacturerLine(" :A;Y\n"));
}

TEST(LibraryLine, ManufacturerNameEndsAtTheFirstSemicolonOrBeforeTheFlag) {
  EXPECT_EQ(ManufacturerName(":Quellmark Halbleiter;Y\n"), "Quellmark Halbleiter");
  EXPECT_EQ(ManufacturerName(":A;B;Y\n"), "A");
  EXPECT_EQ(ManufacturerName(":Norrvik Y\n"), "Norrvik ");
  EXPECT_EQ(ManufacturerName(":Y\n"), "");
  EXPECT_EQ(ManufacturerName(":"), "");
}

TEST(LibraryLine, FieldsNeedTheirSemicolonAndRoomForTheFlag) {
  ResultCode last = Result::Ok;
  EXPECT_EQ(Fields(" a ;b;;c;Y\n", last), (std::vector<std::string>{" a ", "b", "", "c"}));
  EXPECT_EQ(last, Result::LibraryError);
  // A ';' just before the newline leaves no flag: the column does not count.
  EXPECT_EQ(Fields("a;b;\n", last), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(Fields("", last).empty());
  EXPECT_TRUE(Fields("a", last).empty());
  EXPECT_EQ(last, Result::LibraryError);
}

// Parses a device line built from a valid one with some columns replaced.
class DeviceLineParse : public ::testing::Test {
 protected:
  ResultCode Parse(std::vector<std::string> columns, std::uint32_t timeBaseKorr = 85) {
    std::string line;
    for (const std::string& column : columns) line += column + ";";
    line += "Y\n";
    ui.Clear();
    return ParseDeviceLine(line, {kLibrary, timeBaseKorr}, entry, ui);
  }
  std::vector<std::string> With(std::size_t column, const std::string& text) const {
    std::vector<std::string> columns = valid;
    columns[column - 1] = text;
    return columns;
  }
  std::string Headed(const std::string& what) const {
    return entry.Name + "\n\n" + what + "\n\n in '" + kLibrary + "' Datei";
  }

  std::vector<std::string> valid{"QM1114-4KE", "DIP14", "12500", "5000", "4000", "0x0800",
                                 "0x1000",     "0xF000", "128",  "0x2FF", "ACE12"};
  DeviceEntry entry;
  ScriptedUi ui;
};

TEST_F(DeviceLineParse, AValidLineFillsEveryField) {
  ASSERT_EQ(Parse(valid), Result::Ok);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(entry.Name, "QM1114-4KE");
  EXPECT_EQ(entry.Package, 14);
  EXPECT_EQ(entry.ProgVoltageCode, 125);
  EXPECT_EQ(entry.OperVoltageCode, 100);
  EXPECT_EQ(entry.MaxProgPolls, 47u);  // 4000 us / 85 us
  EXPECT_EQ(entry.CodeStart, 0x800u);
  EXPECT_EQ(entry.CodeSize, 0x1000u);
  EXPECT_EQ(entry.CodeEnd, 0x1800u);
  EXPECT_EQ(entry.DataStart, 0xF000u);
  EXPECT_EQ(entry.DataSize, 128u);
  EXPECT_EQ(entry.DataEnd, 0xF080u);
  EXPECT_EQ(entry.InitRegister1Address, 0x2FFu);
  EXPECT_EQ(entry.ChipType, ChipTypeCode::ACE12);

  EXPECT_EQ(Parse(With(2, "DIP8")), Result::Ok);
  EXPECT_EQ(entry.Package, 8);
  EXPECT_EQ(Parse(With(11, "ACE11")), Result::Ok);
  EXPECT_EQ(entry.ChipType, ChipTypeCode::ACE11);
  // Anything between the eleventh ';' and the flag is ignored.
  ASSERT_EQ(ParseDeviceLine("a;DIP8;12000;5000;0;0;1;0;0;0;ACE11;comment Y\n", {kLibrary, 85},
                            entry, ui),
            Result::Ok);
}

TEST_F(DeviceLineParse, NumbersAreReadInTheAutomaticBase) {
  for (const char* text : {"0x800", "2048", "04000", " 2048", "2048 bytes"}) {
    ASSERT_EQ(Parse(With(7, text)), Result::Ok) << text;
    EXPECT_EQ(entry.CodeSize, 2048u) << text;
  }
}

TEST_F(DeviceLineParse, VoltageLimits) {
  EXPECT_EQ(Parse(With(3, "25500")), Result::Ok);
  EXPECT_EQ(entry.ProgVoltageCode, 255);
  EXPECT_EQ(Parse(With(3, "99")), Result::Ok);
  EXPECT_EQ(entry.ProgVoltageCode, 0);
  EXPECT_EQ(Parse(With(4, "12750")), Result::Ok);
  EXPECT_EQ(entry.OperVoltageCode, 255);

  EXPECT_EQ(Parse(With(3, "25501")), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{Headed("Die Programmierspannung ist zu groß !!")});
  EXPECT_EQ(Parse(With(3, "0")), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{Headed("Die Programmierspannung ist 0 !!")});
  EXPECT_EQ(Parse(With(4, "12751")), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{
                               Headed("Die Betriebsspannung im\nProgrammiermodus ist zu groß !!")});
  EXPECT_EQ(Parse(With(4, "none")), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{
                               Headed("Die Betriebsspannung im\nProgrammiermodus ist 0 !!")});
}

TEST_F(DeviceLineParse, ProgrammingTimeBecomesPollsAtTheCurrentTimeBase) {
  EXPECT_EQ(Parse(With(5, "0")), Result::Ok);
  EXPECT_EQ(entry.MaxProgPolls, 0u);
  EXPECT_EQ(Parse(With(5, "1")), Result::Ok);
  EXPECT_EQ(entry.MaxProgPolls, 1u);
  EXPECT_EQ(Parse(With(5, "170")), Result::Ok);
  EXPECT_EQ(entry.MaxProgPolls, 2u);
  EXPECT_EQ(Parse(With(5, "50")), Result::Ok);
  EXPECT_EQ(entry.MaxProgPolls, 1u);
}

TEST_F(DeviceLineParse, MemoryRangesMustFitIn64KiB) {
  const std::string codeTooLarge =
      "QM1114-4KE\n\nProgrammspeicher überschreitet 65536 (0x10000) Bytes!!\n\n"
      "Bausteine dieser Größe werden nicht unterstützt !!\n";
  const std::string dataTooLarge =
      "QM1114-4KE\n\nDatenspeicher überschreitet 65536 (0x10000) Bytes!!\n\n"
      "Bausteine dieser Größe werden nicht unterstützt !!\n";

  std::vector<std::string> columns = With(6, "0");
  columns[6] = "0x10000";
  EXPECT_EQ(Parse(columns), Result::Ok);
  EXPECT_EQ(entry.CodeEnd, 0x10000u);
  columns[5] = "0x100";
  EXPECT_EQ(Parse(columns), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{codeTooLarge});
  columns[6] = "0";
  EXPECT_EQ(Parse(columns), Result::Ok);  // only an end address of 0 is refused
  columns[5] = "0";
  EXPECT_EQ(Parse(columns), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{std::string("QM1114-4KE\n\nProgrammspeicher ist 0 !!\n\n in ") + kLibrary});
  // A sum that wraps past 2^32 is too large, not small.
  columns[5] = "0xFFFFFFFF";
  columns[6] = "2";
  EXPECT_EQ(Parse(columns), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{codeTooLarge});

  columns = With(8, "0");
  columns[8] = "0";
  EXPECT_EQ(Parse(columns), Result::Ok);
  EXPECT_EQ(entry.DataEnd, 0u);  // no data EEPROM
  columns[7] = "0xFF00";
  columns[8] = "0x101";
  EXPECT_EQ(Parse(columns), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{dataTooLarge});
  columns[7] = "0xFFFFFFFF";
  columns[8] = "1";
  EXPECT_EQ(Parse(columns), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{dataTooLarge});
}

TEST_F(DeviceLineParse, InitRegister1AddressMustFitInTheCommandWord) {
  ASSERT_EQ(Parse(With(10, "0xFFFF")), Result::Ok);
  EXPECT_EQ(entry.InitRegister1Address, 0xFFFFu);
  // Bit 21 would turn the InitRegister1 read command into a write.
  for (const char* address : {"0x10000", "0x200000", "0xFFFFFFFF"}) {
    EXPECT_EQ(Parse(With(10, address)), Result::InvalidDeviceLine) << address;
    EXPECT_EQ(ui.Messages(),
              std::vector<std::string>{Headed("Die Adresse des InitRegister1 ist zu groß !!")});
  }
}

TEST_F(DeviceLineParse, TextColumnsAreExactAndOnlyTheFirstFaultIsReported) {
  EXPECT_EQ(Parse(With(2, "dip8")), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{Headed("Unbekannte Gehäuseform")});
  EXPECT_EQ(Parse(With(2, "DIP8 ")), Result::InvalidDeviceLine);

  entry.ChipType = ChipTypeCode::ACE12;
  EXPECT_EQ(Parse(With(11, "ACE13")), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{Headed("Unbekannter Chip-Typ")});
  EXPECT_EQ(entry.ChipType, 0);

  std::vector<std::string> twoFaults = With(2, "SO8");
  twoFaults[10] = "ACE13";
  EXPECT_EQ(Parse(twoFaults), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{Headed("Unbekannte Gehäuseform")});
}

TEST_F(DeviceLineParse, ALineWithTooFewColumnsFailsSilently) {
  ui.Clear();
  EXPECT_EQ(ParseDeviceLine("a;DIP8;12000;5000;0;0;1;0;0;0;ACE11\n", {kLibrary, 85}, entry, ui),
            Result::LibraryError);
  EXPECT_EQ(ParseDeviceLine("a;DIP8;12000;5000;0;0;1;0;0;0;ACE11;\n", {kLibrary, 85}, entry, ui),
            Result::LibraryError);
  EXPECT_EQ(ParseDeviceLine("a;DIP8;Y\n", {kLibrary, 85}, entry, ui), Result::LibraryError);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DeviceLineParse, LinesAUserCanTypeWrongAreRefusedWithoutAReadPastTheirEnd) {
  // 0, 1 and 10 columns are too few; 11 are a device; a 12th column is ignored.
  for (std::size_t count : {0u, 1u, 10u}) {
    const std::vector<std::string> columns(valid.begin(), valid.begin() + static_cast<long>(count));
    EXPECT_EQ(Parse(columns), Result::LibraryError) << count;
    EXPECT_TRUE(ui.Messages().empty()) << count;
  }
  EXPECT_EQ(Parse(valid), Result::Ok);
  std::vector<std::string> twelve = valid;
  twelve.push_back("extra");
  EXPECT_EQ(Parse(twelve), Result::Ok);
  EXPECT_EQ(entry.ChipType, ChipTypeCode::ACE12);

  // A 2000-character name is kept whole; 2000 characters in a number column
  // are one number, and in the package column a refused package.
  const std::string longText(2000, '7');
  ASSERT_EQ(Parse(With(1, longText)), Result::Ok);
  EXPECT_EQ(entry.Name, longText);
  EXPECT_EQ(Parse(With(3, longText)), Result::InvalidDeviceLine);  // voltage far too high
  EXPECT_EQ(Parse(With(2, longText)), Result::InvalidDeviceLine);
  EXPECT_EQ(ui.Messages().size(), 1u);
  const std::string longLine(2000, 'x');
  ui.Clear();
  EXPECT_EQ(ParseDeviceLine(longLine, {kLibrary, 85}, entry, ui), Result::LibraryError);

  // Binary bytes, NULs included, are text like any other.
  const std::string garbage("\x00\xFF;\x01\x80;\xC3;\n;\r;;;;;;;;;Y\n", 22);
  ui.Clear();
  EXPECT_NE(ParseDeviceLine(garbage, {kLibrary, 85}, entry, ui), Result::Ok);
  EXPECT_LE(ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace ferolith
