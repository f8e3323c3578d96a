#include <gtest/gtest.h>

#include <filesystem>

#include "tests/integration/app/ChainFixture.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

struct FormatCase {
  int filterIndex;
  const char* srecType;
};

// Filter entries 2..8 of the save dialog and how srec_cat reads what they write.
const FormatCase kFormats[] = {
    {2, "-binary"}, {3, "-intel"},    {4, "-intel"},    {5, "-intel"},
    {6, "-motorola"}, {7, "-motorola"}, {8, "-motorola"},
};

class ReadOutFormats : public ChainTest {};

TEST_F(ReadOutFormats, AuslesenWritesEveryFormatThatSrecCatReadsBack) {
  Start(0, 1);  // QM1108-2KE: code 0x0000..0x07FF, data 0xF000..0xF03F
  const auto code = Pattern(0x800, 7);
  const auto data = Pattern(0x40, 8);
  for (std::uint32_t a = 0; a < code.size(); ++a) Chip().SetCode(a, code[a]);
  for (std::uint32_t a = 0; a < data.size(); ++a) Chip().SetData(0xF000 + a, data[a]);

  for (const FormatCase& format : kFormats) {
    SCOPED_TRACE(format.filterIndex);
    const std::string name = "chip" + std::to_string(format.filterIndex);
    ui_.Clear();
    ui_.AnswerSaveDialog(FileChoice{dir_.File(name + ".typed"), name + ".typed", format.filterIndex});
    ui_.AnswerBoxes({Answer::Ok});
    ASSERT_EQ(P().OnAuslesen(), Result::Ok);
    EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"\nProzessor-Programm gespeichert \n"});
    EXPECT_EQ(State().settings.DataFormat, format.filterIndex - 1);
    const std::string extension = format.filterIndex == 2 ? ".bin" : ".hex";
    const std::string path = dir_.File(name + extension);
    EXPECT_EQ(State().settings.BurnFilePath, path);
    EXPECT_EQ(ReadWithSrecCat(path, format.srecType, 0, 0x800), code);
    // A binary companion holds the image from address 0 up to the data EEPROM's end.
    const std::uint32_t dataStart = format.filterIndex == 2 ? 0 : 0xF000;
    auto dataBack = ReadWithSrecCat(dir_.File(name + ".rex"), format.srecType, dataStart, 0xF040);
    if (format.filterIndex == 2) dataBack.erase(dataBack.begin(), dataBack.begin() + 0xF000);
    EXPECT_EQ(dataBack, data);
  }
}

TEST_F(ReadOutFormats, TheSaveDialogProposesTheLastFormatAndNameAndKeepsHexCase) {
  Start(0, 1);
  Chip().SetCode(0x20, 0x42);  // a binary read-out of a blank chip is refused
  State().settings.DataFormat = DataFormat::Intel32;
  State().settings.BurnFileName = "firmware.hex";
  ui_.AnswerSaveDialog(FileChoice{dir_.File("chip.HEX"), "chip.HEX", 3});
  ui_.AnswerBoxes({Answer::Ok});
  ASSERT_EQ(P().OnAuslesen(), Result::Ok);
  const FileDialogRequest& request = ui_.DialogRequests().front();
  EXPECT_EQ(request.filterIndex, 4);
  EXPECT_EQ(request.initialFileName, "firmware");
  EXPECT_EQ(request.defaultExtension, "hex");
  EXPECT_TRUE(std::filesystem::exists(dir_.File("chip.HEX")));

  // "Alle Dateien" writes binary under the typed name, and proposes "Binär" next.
  ui_.AnswerSaveDialog(FileChoice{dir_.File("raw.dat"), "raw.dat", 1});
  ui_.AnswerBoxes({Answer::Ok});
  ASSERT_EQ(P().OnAuslesen(), Result::Ok);
  EXPECT_EQ(State().settings.DataFormat, DataFormat::Binary);
  EXPECT_EQ(State().settings.BurnFileName, "raw.dat");
  EXPECT_TRUE(std::filesystem::exists(dir_.File("raw.dat")));
  ui_.AnswerSaveDialog(std::nullopt);
  EXPECT_NE(P().OnAuslesen(), Result::Ok);
  EXPECT_EQ(ui_.DialogRequests().back().filterIndex, 2);
}

TEST_F(ReadOutFormats, ACancelledReadOutKeepsTheOldFile) {
  Start(0, 1);
  WriteFileBytes(dir_.File("keep.hex"), "old");
  ui_.AnswerSaveDialog(FileChoice{dir_.File("keep.hex"), "keep.hex", 3});
  ui_.AnswerBoxes({Answer::Ok});
  ui_.OnPump([this](int pump) {
    if (pump == 3) P().OnAbbrechen();
  });
  EXPECT_EQ(P().OnAuslesen(), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"Auslesen abgebrochen !"});
  EXPECT_EQ(ReadFileBytes(dir_.File("keep.hex")), "old");
  ExpectIdleAndPoweredDown();
}

}  // namespace
}  // namespace ferolith::testing
