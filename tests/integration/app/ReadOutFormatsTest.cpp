#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/TextFormat.h"
#include "tests/support/ChainFixture.h"
#include "tests/support/Portable.h"

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
  SKIP_ON_WINDOWS(kNeedsSrecCat);
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
    EXPECT_EQ(State().settings.DataFormat, FormatOfNumber(format.filterIndex - 1));
    const std::string extension = format.filterIndex == 2 ? ".bin" : ".hex";
    const std::string path = dir_.File(name + extension);
    EXPECT_EQ(State().settings.BurnFilePath, path);
    EXPECT_EQ(ReadWithSrecCat(path, format.srecType, 0, 0x800), code);
    // A binary companion holds the image from address 0 up to the data EEPROM's end.
    const std::uint32_t dataStart = format.filterIndex == 2 ? 0 : 0xF000;
    auto dataBack = ReadWithSrecCat(dir_.File(name + ".rex"), format.srecType, dataStart, 0xF040);
    if (format.filterIndex == 2) {
      ASSERT_EQ(dataBack.size(), 0xF040u);  // nothing to cut when srec_cat failed
      // The image was blank before the data EEPROM was read: nothing of the
      // program memory read just before leaks into the companion.
      EXPECT_EQ(std::count(dataBack.begin(), dataBack.begin() + 0xF000, 0xFF), 0xF000);
      dataBack.erase(dataBack.begin(), dataBack.begin() + 0xF000);
    }
    EXPECT_EQ(dataBack, data);
  }
}

// What "Auslesen" writes, "Prüfen" accepts for the same chip: in every
// format, with and without "Leerzellen speichern", for a program memory at
// 0 and one above 0, and for a data EEPROM with data and a blank one. A
// binary file starts at address 0, so the cells below an area above 0 are
// written as 0xFF; they must load back as no data.
TEST_F(ReadOutFormats, EveryReadOutVerifiesAgainstTheChipItWasReadFrom) {
  Start(0, 0);
  WriteFileBytes(dir_.File("ACELIST.CSV"),
                 ":Prüfstand;Y\n"
                 "UNTEN-64;DIP8;12500;5000;4000;0x0000;0x0040;0xF000;16;0x2FF;ACE11;Y\n"
                 "OBEN-64;DIP8;12500;5000;4000;0x0800;0x0040;0xF000;16;0x2FF;ACE11;Y\n");
  for (const int device : {0, 1}) {
    devices_.Clear();
    P().FillLists();
    devices_.Select(device);
    P().OnDeviceChanged();
    const std::uint32_t codeStart = State().device.CodeStart;
    ASSERT_EQ(codeStart, device == 0 ? 0u : 0x800u);
    for (const bool blankData : {false, true}) {
      auto code = Pattern(0x40, 5);
      code[0] = 0xFF;  // blank cells at both ends and inside
      code[0x20] = 0xFF;
      code[0x3F] = 0xFF;
      for (std::uint32_t a = 0; a < 0x40; ++a) Chip().SetCode(codeStart + a, code[a]);
      const auto data = Pattern(0x10, 9);
      for (std::uint32_t a = 0; a < 0x10; ++a) Chip().SetData(0xF000 + a, blankData ? 0xFF : data[a]);
      for (const int ffSave : {0, 1}) {
        P().OnLeerzellenSpeichern(ffSave != 0);
        for (const FormatCase& format : kFormats) {
          const std::string name = "d" + std::to_string(device) + "b" + std::to_string(blankData) + "f" +
                                   std::to_string(ffSave) + "x" + std::to_string(format.filterIndex);
          SCOPED_TRACE(name);
          ui_.Clear();
          ui_.SetDefaultAnswer(Answer::Ok);
          ui_.AnswerSaveDialog(FileChoice{dir_.File(name + ".hex"), name + ".hex", format.filterIndex});
          ASSERT_EQ(P().OnAuslesen(), Result::Ok) << ::testing::PrintToString(ui_.Texts(Kind::Info));
          ui_.Clear();
          ASSERT_EQ(P().OnPruefen(), Result::Ok) << ::testing::PrintToString(ui_.Texts(Kind::Info));
          EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"Keine Fehler beim Prüfen"});
          // Both areas were compared.
          const auto status = ui_.Texts(Kind::Status);
          EXPECT_EQ(std::count_if(status.begin(), status.end(),
                                  [](const std::string& text) { return text.starts_with("EEpromspeicher prüfen"); }),
                    1);
        }
      }
    }
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

TEST_F(ReadOutFormats, AuslesenAsksAboutTheFilesItReallyWrites) {
  Start(0, 1);  // QM1108-2KE, with a data EEPROM
  Chip().SetCode(0x20, 0x42);
  const std::string bin = dir_.File("chip.bin");
  const std::string rex = dir_.File("chip.rex");
  const std::string hex = dir_.File("chip.hex");
  WriteFileBytes(bin, "old bin");
  WriteFileBytes(hex, "old hex");
  // "chip.hex" typed under "*.BIN Binär" writes chip.bin and chip.rex: the
  // question names chip.bin, not the chip.hex of the dialog, and "Nein"
  // writes nothing at all.
  ui_.AnswerSaveDialog(FileChoice{hex, "chip.hex", 2});
  ui_.AnswerBoxes({Answer::No});
  EXPECT_EQ(P().OnAuslesen(), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui_.Texts(Kind::YesNo),
            std::vector<std::string>{"Die Datei\n\n" + bin + "\n\nexistiert schon.\nSoll sie ersetzt werden ?"});
  EXPECT_EQ(ui_.Count(Kind::OkCancel), 0);  // the chip was not touched
  EXPECT_EQ(ReadFileBytes(bin), "old bin");
  EXPECT_FALSE(std::filesystem::exists(rex));
  ExpectIdleAndPoweredDown();

  // With the companion there as well, both are named in the same question.
  WriteFileBytes(rex, "old rex");
  ui_.Clear();
  ui_.AnswerSaveDialog(FileChoice{hex, "chip.hex", 2});
  ui_.AnswerBoxes({Answer::No});
  EXPECT_EQ(P().OnAuslesen(), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui_.Texts(Kind::YesNo),
            std::vector<std::string>{"Die Dateien\n\n" + bin + "\n" + rex +
                                     "\n\nexistieren schon.\nSollen sie ersetzt werden ?"});
  EXPECT_EQ(ReadFileBytes(rex), "old rex");

  ui_.Clear();
  ui_.AnswerSaveDialog(FileChoice{hex, "chip.hex", 2});
  ui_.AnswerBoxes({Answer::Yes, Answer::Ok});
  EXPECT_EQ(P().OnAuslesen(), Result::Ok);
  EXPECT_EQ(ReadFileBytes(bin).size(), 0x21u);  // up to the last used cell
  EXPECT_NE(ReadFileBytes(rex), "old rex");
  EXPECT_EQ(ReadFileBytes(hex), "old hex");  // never the dialog's name

  // A device without data EEPROM writes no companion, so it is not named;
  // a file that does not exist yet is written without a question.
  devices_.Select(0);
  P().OnDeviceChanged();
  ui_.Clear();
  ui_.AnswerSaveDialog(FileChoice{hex, "chip.hex", 2});
  ui_.AnswerBoxes({Answer::No});
  EXPECT_EQ(P().OnAuslesen(), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui_.Texts(Kind::YesNo),
            std::vector<std::string>{"Die Datei\n\n" + bin + "\n\nexistiert schon.\nSoll sie ersetzt werden ?"});
  ui_.Clear();
  ui_.AnswerSaveDialog(FileChoice{dir_.File("new.typed"), "new.typed", 3});
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnAuslesen(), Result::Ok);
  EXPECT_EQ(ui_.Count(Kind::YesNo), 0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("new.hex")));
}

// A read-out file that is its own companion (a name ending in ".rex", or a
// link to the companion) would get the data EEPROM over the program memory:
// refused with both names before the chip is touched, nothing written.
TEST_F(ReadOutFormats, AFileThatIsItsOwnCompanionIsRefusedBeforeTheChip) {
  Start(0, 1);  // QM1108-2KE, with a data EEPROM
  Chip().SetCode(0x20, 0x42);
  const std::string rex = dir_.File("backup.rex");
  const auto refusal = [](const std::string& file, const std::string& companion) {
    return "Die Datei\n\n" + file + "\n\nund ihre Begleitdatei für das Daten-EEPROM\n\n" + companion +
           "\n\nsind dieselbe Datei: das Daten-EEPROM würde den Programmspeicher überschreiben."
           "\n\nBitte einen Namen mit einer anderen Endung als .rex wählen.";
  };
  std::uint64_t writesBefore = 0;
  const auto expectRefused = [&](const std::string& file, const std::string& companion) {
    EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{refusal(file, companion)});
    EXPECT_EQ(ui_.Count(Kind::OkCancel), 0);  // no socket box
    EXPECT_EQ(ui_.Count(Kind::YesNo), 0);
    EXPECT_EQ(Programmer().RegisterWrites(), writesBefore) << "the programmer was driven";
    ExpectIdleAndPoweredDown();
  };

  // The desktop program: "Alle Dateien" keeps the extension as typed.
  ui_.AnswerSaveDialog(FileChoice{rex, "backup.rex", 1});
  ui_.AnswerBoxes({Answer::Yes, Answer::Ok});
  writesBefore = Programmer().RegisterWrites();
  EXPECT_EQ(P().OnAuslesen(), Result::NotBlankOrReadOut);
  expectRefused(rex, rex);
  EXPECT_FALSE(std::filesystem::exists(rex));

  // The command line's read-out, over an existing file that stays as it was.
  WriteFileBytes(rex, "old rex");
  ui_.Clear();
  writesBefore = Programmer().RegisterWrites();
  EXPECT_EQ(P().ReadOutTo(rex, DataFormat::MotorolaS1), Result::NotBlankOrReadOut);
  expectRefused(rex, rex);
  EXPECT_EQ(ReadFileBytes(rex), "old rex");

#ifndef _WIN32
  // Another name for the companion itself.
  const std::string link = dir_.File("backup.hex");
  std::filesystem::create_symlink("backup.rex", link);
  ui_.Clear();
  writesBefore = Programmer().RegisterWrites();
  EXPECT_EQ(P().ReadOutTo(link, DataFormat::Intel8), Result::NotBlankOrReadOut);
  expectRefused(link, rex);
  EXPECT_EQ(ReadFileBytes(rex), "old rex");
#endif

  // A device without data EEPROM writes no companion: the name is fine.
  devices_.Select(0);
  P().OnDeviceChanged();
  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().ReadOutTo(rex, DataFormat::Intel8), Result::Ok);
  EXPECT_EQ(ReadFileBytes(rex).rfind(":", 0), 0u);
}

TEST_F(ReadOutFormats, ACancelledReadOutKeepsTheOldFile) {
  Start(0, 1);
  WriteFileBytes(dir_.File("keep.hex"), "old");
  ui_.AnswerSaveDialog(FileChoice{dir_.File("keep.hex"), "keep.hex", 3});
  ui_.AnswerBoxes({Answer::Yes, Answer::Ok});  // replace it, and the socket box
  ui_.OnPump([this](int pump) {
    if (pump != 3) return;
    EXPECT_TRUE(ui_.CancelEnabled());  // a disabled button could not be pressed
    P().OnAbbrechen();
  });
  EXPECT_EQ(P().OnAuslesen(), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"Auslesen abgebrochen !"});
  EXPECT_EQ(ReadFileBytes(dir_.File("keep.hex")), "old");
  ExpectIdleAndPoweredDown();
}

// A cell that reads otherwise the second time (changed while the second
// pass of its area runs): nothing is saved, the old files stay, and the
// message names the cell with both bytes. Passes that agree save both files.
TEST_F(ReadOutFormats, AReadTwiceSavesOnlyWhenBothPassesOfEveryAreaAgree) {
  Start(0, 1);  // QM1108-2KE: code 0x0000..0x07FF, data 0xF000..0xF03F
  const auto code = Pattern(0x800, 3);
  for (std::uint32_t a = 0; a < code.size(); ++a) Chip().SetCode(a, code[a]);
  const std::string hex = dir_.File("chip.hex");
  const std::string rex = dir_.File("chip.rex");
  WriteFileBytes(hex, "old hex");
  const struct {
    const char* status;  // the pass during which the cell changes
    MemoryArea area;
    std::uint32_t address;
    const char* named;
  } cases[] = {
      {"Lese Programmspeicher", MemoryArea::ProgramMemory, 0x7FE, "Programmspeicher an Adresse 0x07FE"},
      {"Lese EEPROM", MemoryArea::DataEeprom, 0xF03F, "Daten-EEPROM an Adresse 0xF03F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    ui_.Clear();
    ui_.AnswerBoxes({Answer::Ok});
    ui_.OnPump([&](int) {
      const auto status = ui_.Texts(Kind::Status);
      if (std::count(status.begin(), status.end(), c.status) == 2) {
        if (c.area == MemoryArea::ProgramMemory) Chip().SetCode(c.address, 0x5A);
        if (c.area == MemoryArea::DataEeprom) Chip().SetData(c.address, 0x5A);
      }
    });
    EXPECT_EQ(P().ReadOutTo(hex, DataFormat::Intel8, true), Result::NotBlankOrReadOut);
    const std::uint8_t before = c.area == MemoryArea::ProgramMemory ? code[c.address] : 0xFF;
    EXPECT_EQ(ui_.Texts(Kind::Info),
              std::vector<std::string>{FormatText(
                  "Die zwei Lesedurchgänge unterscheiden sich !\n\n%s\n1. Lesen: 0x%02X\n"
                  "2. Lesen: 0x5A\n\nEs wurde nichts gespeichert.",
                  c.named, static_cast<unsigned>(before))});
    EXPECT_EQ(ReadFileBytes(hex), "old hex");
    EXPECT_FALSE(std::filesystem::exists(rex));
    EXPECT_EQ(ui_.Count(Kind::OkCancel), 1);  // one socket box for all passes
    ExpectIdleAndPoweredDown();
  }
  ui_.OnPump({});
  ui_.AnswerBoxes({Answer::Ok});
  ASSERT_EQ(P().ReadOutTo(hex, DataFormat::Intel8, true), Result::Ok);
  EXPECT_TRUE(std::filesystem::exists(rex));
  SKIP_ON_WINDOWS(kNeedsSrecCat);
  auto expected = code;
  expected[0x7FE] = 0x5A;
  EXPECT_EQ(ReadWithSrecCat(hex, "-intel", 0, 0x800), expected);
  EXPECT_EQ(ReadWithSrecCat(rex, "-intel", 0xF03F, 0xF040), std::vector<std::uint8_t>{0x5A});
}

}  // namespace
}  // namespace ferolith::testing
