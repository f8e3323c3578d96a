#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "chip/ReadOut.h"
#include "tests/support/ChipRig.h"
#include "tests/support/FailingEnding.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TempDir.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

constexpr char kErased[] = "\nController ist gelöscht !\n";

// Fills the image as a loaded burn file would: a pattern over [start, end).
void LoadPattern(MemoryImage& image, std::uint32_t start, std::uint32_t end) {
  image.FillBlank();
  image.StartCounting();
  for (std::uint32_t a = start; a < end; ++a) image.Store(a, static_cast<std::uint8_t>(a * 7 + 3));
}

// The texts of the boxes after the socket instruction box.
std::vector<std::string> BoxesAfterSocket(const ScriptedUi& ui) {
  std::vector<std::string> texts = ui.Messages();
  if (!texts.empty() && texts.front().find("ACE-Adapter") != std::string::npos) texts.erase(texts.begin());
  return texts;
}

TEST(ChipOperationsTest, ReadsFollowThePipeliningOrder) {
  DeviceEntry device = MakeDevice();
  device.CodeStart = 0x100;
  device.CodeEnd = 0x103;
  device.DataStart = 0x20;
  device.DataEnd = 0x21;  // one address
  ChipRig rig(device);
  rig.chip.SetCode(0x100, 0xA0);
  rig.chip.SetCode(0x101, 0xA1);
  rig.chip.SetCode(0x102, 0xA2);
  rig.chip.SetData(0x20, 0xD0);
  rig.programmer.EnableTrace(true);
  rig.power.EnterProgrammingMode();
  EXPECT_EQ(rig.operations.ReadCodeMemory(), Result::Ok);
  EXPECT_EQ(rig.operations.ReadDataMemory(), Result::Ok);
  rig.power.LeaveProgrammingMode();

  EXPECT_EQ(ShiftedWords(rig.programmer, 8),
            (std::vector<std::uint32_t>{ReadCodeWord(0x100), ReadCodeWord(0x101), ReadCodeWord(0x102),
                                        ReadCodeWord(0x100), ReadDataWord(0x20), ReadDataWord(0x20)}));
  EXPECT_EQ(rig.image.bytes[0x100], 0xA0);
  EXPECT_EQ(rig.image.bytes[0x101], 0xA1);
  EXPECT_EQ(rig.image.bytes[0x102], 0xA2);
  EXPECT_EQ(rig.image.bytes[0x103], 0xFF);
  EXPECT_EQ(rig.image.bytes[0x20], 0xD0);
  EXPECT_EQ(rig.ui.ProgressPositionNow(), 0u);  // each read sets the bar back
  EXPECT_TRUE(rig.chip.Violations().empty());
  EXPECT_TRUE(rig.programmer.Violations().empty());
}

TEST(ChipOperationsTest, EmptyAreasAreStillProcessedAtTheirStart) {
  DeviceEntry device = MakeDevice();
  device.CodeStart = 0x80;
  device.CodeSize = 0;
  device.CodeEnd = 0x80;
  device.DataStart = 0x10000;  // size 0 at the very end: no address a command can carry
  device.DataSize = 0;
  device.DataEnd = 0x10000;
  ChipRig rig(device);
  rig.programmer.EnableTrace(true);
  rig.power.EnterProgrammingMode();
  EXPECT_EQ(rig.operations.ProgramCodeMemory(), Result::Ok);
  EXPECT_EQ(rig.operations.VerifyCodeMemory(), Result::Ok);
  EXPECT_EQ(rig.operations.ProgramDataMemory(), Result::Ok);
  EXPECT_EQ(rig.operations.ReadDataMemory(), Result::Ok);
  EXPECT_EQ(ShiftedWords(rig.programmer, 8),
            (std::vector<std::uint32_t>{0x100080FFu, ReadCodeWord(0x80), ReadCodeWord(0x80)}));
}

TEST(ChipOperationsTest, BlankChipPassesTheBlankCheck) {
  DeviceEntry device = MakeDevice();
  device.DataSize = 0x20;
  device.DataEnd = 0x20;
  ChipRig rig(device);
  rig.ui.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(rig.operations.BlankCheck(), Result::Ok);
  EXPECT_EQ(BoxesAfterSocket(rig.ui), std::vector<std::string>{kErased});
  EXPECT_EQ(rig.ui.Texts(Kind::Status),
            (std::vector<std::string>{"Leertest Codespeicher", "Leertest Datenspeicher"}));
  // Each pass sets the bar for its own area: 0x100 cells in 50 increments, then 0x20.
  std::vector<std::uint32_t> ranges;
  for (const auto& event : rig.ui.Events()) {
    if (event.kind == Kind::ProgressRange) ranges.push_back(event.value);
  }
  EXPECT_EQ(ranges, (std::vector<std::uint32_t>{50, 0x20}));
  EXPECT_TRUE(rig.ui.CancelEnabled());
  EXPECT_EQ(rig.ui.ProgressPositionNow(), 0u);
  EXPECT_EQ(rig.ui.UnscriptedBoxes(), 0);
  EXPECT_TRUE(rig.PoweredDown());
  const std::string socket = rig.ui.Texts(Kind::OkCancel).at(0);
  EXPECT_EQ(socket,
            " #### Blankcheck ####\n\nACE1101 DIP8\n\n\nACE-Adapter ** unten ** in Sockel 1 einsetzen.\n"
            "ACE-Chip ** oben ** im Adapter einsetzen.\n");
}

TEST(ChipOperationsTest, BlankCheckReportsNonBlankCells) {
  // Retry in program memory, then a blank data EEPROM: 4, and no "erased" message.
  {
    ChipRig rig;
    rig.chip.SetCode(0x10, 0x12);
    rig.chip.SetCode(0xFF, 0x34);  // the last cell, collected by the extra read
    rig.ui.AnswerBoxes({Answer::Ok, Answer::Retry, Answer::Retry});
    EXPECT_EQ(rig.operations.BlankCheck(), Result::NotBlankOrReadOut);
    EXPECT_EQ(BoxesAfterSocket(rig.ui),
              (std::vector<std::string>{"CodeSpeicher an Adresse 0x0010 ist nicht leer !\nInhalt 0x12\n",
                                        "CodeSpeicher an Adresse 0x00FF ist nicht leer !\nInhalt 0x34\n"}));
    EXPECT_EQ(rig.ui.Texts(Kind::Status).back(), "Leertest Datenspeicher");
    EXPECT_TRUE(rig.PoweredDown());
  }
  // Cancel ends the pass and skips the data EEPROM.
  {
    ChipRig rig;
    rig.chip.SetCode(0x10, 0x12);
    rig.chip.SetData(0x01, 0x00);
    rig.ui.AnswerBoxes({Answer::Ok, Answer::Cancel});
    EXPECT_EQ(rig.operations.BlankCheck(), Result::BlankCheckStopped);
    EXPECT_EQ(BoxesAfterSocket(rig.ui).size(), 1u);
    EXPECT_EQ(rig.ui.Texts(Kind::Status), std::vector<std::string>{"Leertest Codespeicher"});
    EXPECT_EQ(rig.chip.Commands().size(), 0x12u);  // priming read and 0x11 loop reads
    EXPECT_TRUE(rig.PoweredDown());
  }
  // Data EEPROM cells are reported with their own text.
  {
    ChipRig rig;
    rig.chip.SetData(0x3F, 0x00);
    rig.ui.AnswerBoxes({Answer::Ok, Answer::Retry});
    EXPECT_EQ(rig.operations.BlankCheck(), Result::NotBlankOrReadOut);
    EXPECT_EQ(BoxesAfterSocket(rig.ui),
              std::vector<std::string>{"DatenSpeicher an Adresse 0x003F ist nicht leer !\nInhalt 0x00\n"});
  }
  // A device without data EEPROM reads no data cell.
  {
    DeviceEntry device = MakeDevice();
    device.DataEnd = 0;
    device.DataSize = 0;
    ChipRig rig(device);
    rig.ui.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(rig.operations.BlankCheck(), Result::Ok);
    EXPECT_EQ(rig.ui.Texts(Kind::Status), std::vector<std::string>{"Leertest Codespeicher"});
    EXPECT_EQ(rig.chip.Commands().size(), 0x101u);
  }
}

TEST(ChipOperationsTest, CancelledSocketBoxNeverPowersUp) {
  // Every operation with a socket box switches everything off before it asks:
  // on a fresh rig, and on one that a run cut short left in programming
  // mode. Cancel then ends the operation at once, without a power-up.
  struct Operation {
    const char* name;
    ResultCode cancelled;
    std::function<ResultCode(ChipRig&, ReadOut&, const std::string&)> run;
  };
  const Operation operations[] = {
      {"blank check", Result::BlankCheckStopped,
       [](ChipRig& rig, ReadOut&, const std::string&) { return rig.operations.BlankCheck(); }},
      {"program", Result::ProgramFailed,
       [](ChipRig& rig, ReadOut&, const std::string&) { return rig.operations.ProgramArea(MemoryArea::ProgramMemory); }},
      {"verify", Result::VerifyFailed,
       [](ChipRig& rig, ReadOut&, const std::string&) {
         return rig.operations.VerifyArea(MemoryArea::ProgramMemory, true);
       }},
      {"read-out", Result::NotBlankOrReadOut,
       [](ChipRig&, ReadOut& readOut, const std::string& path) {
         return readOut.ReadOutToFile(path, MemoryArea::ProgramMemory);
       }},
      {"read InitRegister1", Result::SocketCancelled,
       [](ChipRig& rig, ReadOut&, const std::string&) {
         std::uint8_t value = 0;
         return rig.operations.ReadInitRegister1(value, true);
       }},
  };
  TempDir dir;
  const std::string path = dir.File("chip.hex");
  for (const Operation& operation : operations) {
    for (const bool leftPowered : {false, true}) {
      SCOPED_TRACE(std::string(operation.name) + (leftPowered ? ", left powered" : ", fresh"));
      ChipRig rig;
      ReadOut readOut(rig.operations, rig.protocol, rig.power, rig.ui, rig.image, rig.device, rig.settings,
                      rig.cancelRequested);
      if (leftPowered) {
        rig.power.EnterProgrammingMode();
        ASSERT_TRUE(rig.chip.InProgrammingMode());
      }
      const int entries = rig.chip.ProgrammingModeEntries();
      rig.ui.AnswerBoxes({Answer::Cancel});
      EXPECT_EQ(operation.run(rig, readOut, path), operation.cancelled);
      EXPECT_EQ(rig.ui.Messages().size(), 1u);  // the socket box only
      EXPECT_EQ(rig.chip.ProgrammingModeEntries(), entries);
      EXPECT_FALSE(rig.ui.CancelEnabled());
      EXPECT_TRUE(rig.PoweredDown());
      for (const int reg : {0, 2, 4, 6, 8, 10}) EXPECT_EQ(rig.programmer.Register(reg), 0) << reg;
      EXPECT_EQ(rig.programmer.Lines().operatingCode | rig.programmer.Lines().programmingCode, 0);
      EXPECT_FALSE(std::filesystem::exists(path));
    }
  }
}

TEST(ChipOperationsTest, ProgramAndVerifyBothAreas) {
  ChipRig rig;
  LoadPattern(rig.image, 0x00, 0x80);  // half the program memory; the rest stays 0xFF
  rig.ui.AnswerBoxes({Answer::Ok, Answer::Ok});
  EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::Ok);
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, true), Result::Ok);
  for (std::uint32_t a = 0; a < 0x100; ++a) ASSERT_EQ(rig.chip.Code(a), rig.image.bytes[a]) << a;
  EXPECT_EQ(rig.ui.Texts(Kind::Status),
            (std::vector<std::string>{"Programmspeicher Bytes: 128 (0x80) bis Adresse: 127 (0x7F) ",
                                      "Programmspeicher prüfen Bytes: 128 (0x80) bis Adresse: 127 (0x7F)"}));

  // The data EEPROM pass follows without a socket box.
  LoadPattern(rig.image, 0x00, 0x40);
  rig.ui.Clear();
  EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::DataEeprom), Result::Ok);
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::DataEeprom, true), Result::Ok);
  EXPECT_EQ(rig.chip.Data(0x3F), rig.image.bytes[0x3F]);
  EXPECT_EQ(rig.ui.Texts(Kind::Status),
            (std::vector<std::string>{"EEPROM Bytes: 64 (0x40) bis Adresse: 63 (0x3F) ",
                                      "EEpromspeicher prüfen Bytes: 64 (0x40) bis Adresse: 63 (0x3F)"}));
  EXPECT_TRUE(rig.ui.Messages().empty());
  EXPECT_EQ(rig.ui.UnscriptedBoxes(), 0);
  EXPECT_TRUE(rig.PoweredDown());
  EXPECT_TRUE(rig.chip.Violations().empty());
  EXPECT_TRUE(rig.programmer.Violations().empty());
}

TEST(ChipOperationsTest, VerifyReportsEachMismatchWithItsOwnAddress) {
  ChipRig rig;
  LoadPattern(rig.image, 0x00, 0x100);
  for (std::uint32_t a = 0; a < 0x100; ++a) rig.chip.SetCode(a, rig.image.bytes[a]);
  rig.chip.SetCode(0x10, 0x34);
  rig.chip.SetCode(0xFF, 0x00);
  rig.ui.AnswerBoxes({Answer::Retry, Answer::Retry});
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, false), Result::VerifyFailed);
  EXPECT_EQ(rig.ui.Messages(),
            (std::vector<std::string>{
                "Programmspeicher Fehler\nan Adresse 16 (0x10) !\nRichtig: 0x73\nGelesen: 0x34\n",
                "Programmspeicher Fehler\nan Adresse 255 (0xFF) !\nRichtig: 0xFC\nGelesen: 0x00\n"}));
  EXPECT_TRUE(rig.PoweredDown());

  // Cancel in a data EEPROM report ends the pass at once.
  rig.ui.Clear();
  for (std::uint32_t a = 0; a < 0x40; ++a) rig.chip.SetData(a, rig.image.bytes[a]);
  rig.chip.SetData(0x01, 0x42);
  rig.chip.SetData(0x02, 0x43);
  rig.ui.AnswerBoxes({Answer::Cancel});
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::DataEeprom, false), Result::VerifyFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{
                                   "EEPROM Fehler an Adresse 1 (0x1) !\nRichtig: 0x0A\nGelesen: 0x42\n"});
  EXPECT_TRUE(rig.PoweredDown());
}

TEST(ChipOperationsTest, AbbrechenStopsEachPassAtTheNextAddress) {
  // 0x100 addresses give a divisor of 5: the first pump comes at the fifth step.
  const auto pressAbbrechen = [](ChipRig& rig) {
    rig.ui.OnPump([&rig](int) { rig.cancelRequested = 1; });
  };
  {
    ChipRig rig;
    LoadPattern(rig.image, 0x00, 0x100);
    pressAbbrechen(rig);
    rig.ui.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::ProgramFailed);
    EXPECT_EQ(BoxesAfterSocket(rig.ui), std::vector<std::string>{"Programmierung abgebrochen !"});
    EXPECT_EQ(rig.chip.Code(0x04), rig.image.bytes[0x04]);
    EXPECT_EQ(rig.chip.Code(0x05), 0xFF);
    EXPECT_TRUE(rig.PoweredDown());
  }
  {
    ChipRig rig;
    rig.chip.SetCode(0x80, 0x00);
    pressAbbrechen(rig);
    EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, false), Result::VerifyFailed);
    EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{"Prüfen abgebrochen !"});
    EXPECT_EQ(rig.chip.Commands().size(), 6u);  // the priming read and those of addresses 0..4
    EXPECT_TRUE(rig.PoweredDown());
  }
  {
    ChipRig rig;
    pressAbbrechen(rig);
    rig.ui.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(rig.operations.BlankCheck(), Result::BlankCheckStopped);
    EXPECT_EQ(BoxesAfterSocket(rig.ui), std::vector<std::string>{"Leertest abgebrochen !"});
    EXPECT_EQ(rig.ui.Texts(Kind::Status), std::vector<std::string>{"Leertest Codespeicher"});
    EXPECT_EQ(rig.chip.Commands().size(), 6u);  // stopped after address 4, as the other passes
    EXPECT_TRUE(rig.PoweredDown());
  }
  {
    ChipRig rig;
    rig.chip.SetCode(0x10, 0x00);
    pressAbbrechen(rig);
    rig.power.EnterProgrammingMode();
    EXPECT_EQ(rig.operations.ReadCodeMemory(), Result::Ok);
    EXPECT_EQ(rig.image.bytes[0x04], 0xFF);
    EXPECT_EQ(rig.image.bytes[0x05], 0xFF);
    EXPECT_EQ(rig.image.bytes[0x10], 0xFF);  // never reached
  }
}

// The chip stack on a port whose register writes take 85 us of a clock the
// test owns, with the window's pacer armed as a command arms it.
struct SlowRig {
  SlowRig() {
    rig.link.UsePort(slow);
    rig.link.UsePacer(pacer);
    rig.progress.UsePacer(pacer);
  }
  // The steps the running pass has counted so far.
  std::uint32_t Steps() const { return rig.progress.Position() * rig.progress.Divisor() + rig.progress.Counter(); }

  ChipRig rig;
  ManualClock clock;
  SlowPort slow{rig.faults, clock, std::chrono::microseconds(17)};
  PumpPacer pacer{rig.ui, clock};
  PumpPacer::Armed armed{pacer};
};

TEST(ChipOperationsTest, SlowPassesPumpEveryGapAndAbbrechenStopsAtTheNextCell) {
  using std::chrono::microseconds;
  {
    SlowRig s;
    LoadPattern(s.rig.image, 0x00, 0x100);
    PumpTimes pumps(s.clock);
    s.rig.ui.OnPump([&pumps](int pump) { pumps(pump); });
    s.rig.ui.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(s.rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::Ok);
    EXPECT_EQ(s.rig.operations.VerifyArea(MemoryArea::ProgramMemory, false), Result::Ok);
    EXPECT_LE(pumps.LongestSilence(), PumpPacer::kMaxGap + microseconds(85));
    // About 15 ms a cell: far more pumps by time than the bar's 2 x 51.
    EXPECT_GE(s.pacer.TimedPumps(), 2u * 0x100u * 15u / 20u);
  }
  {
    // "Abbrechen" arrives in a time-based pump in the middle of a cell: that
    // cell is finished, the next one is not begun.
    SlowRig s;
    LoadPattern(s.rig.image, 0x00, 0x100);
    std::uint64_t timedBefore = 0;
    std::optional<std::uint32_t> clickedAt;
    s.rig.ui.OnPump([&](int) {
      const bool timed = s.pacer.TimedPumps() != timedBefore;
      timedBefore = s.pacer.TimedPumps();
      if (timed && !clickedAt && s.Steps() >= 100) {
        clickedAt = s.Steps();
        s.rig.cancelRequested = 1;
      }
    });
    s.rig.ui.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(s.rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::ProgramFailed);
    ASSERT_TRUE(clickedAt);
    EXPECT_EQ(BoxesAfterSocket(s.rig.ui), std::vector<std::string>{"Programmierung abgebrochen !"});
    EXPECT_EQ(s.rig.chip.Code(*clickedAt), s.rig.image.bytes[*clickedAt]);
    EXPECT_EQ(s.rig.chip.Code(*clickedAt + 1), 0xFF);
    EXPECT_TRUE(s.rig.PoweredDown());
  }
}

TEST(ChipOperationsTest, CellThatWillNotProgramGivesTwoBoxes) {
  ChipRig rig;
  LoadPattern(rig.image, 0x00, 0x100);
  rig.chip.SetDeadCell(MemoryArea::ProgramMemory, 0x10);
  rig.ui.AnswerBoxes({Answer::Ok, Answer::Retry});
  // Retry goes on with the next cell, but the pass has failed all the same.
  EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::ProgramFailed);
  EXPECT_EQ(BoxesAfterSocket(rig.ui),
            (std::vector<std::string>{"Maximale Programmierzeit überschritten !",
                                      "Programmspeicher\n\nProgrammierfehler an Adresse 16 (0x10)\n"}));
  EXPECT_EQ(rig.ui.Texts(Kind::RetryCancel).size(), 1u);
  EXPECT_EQ(rig.chip.Code(0x11), rig.image.bytes[0x11]);  // Retry went on
  EXPECT_TRUE(rig.PoweredDown());

  // A verification run afterwards finds the cell.
  rig.ui.Clear();
  rig.ui.AnswerBoxes({Answer::Retry});
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, false), Result::VerifyFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{
                                   "Programmspeicher Fehler\nan Adresse 16 (0x10) !\nRichtig: 0x73\nGelesen: 0xFF\n"});

  // Cancel in the report fails the data EEPROM pass.
  rig.ui.Clear();
  rig.chip.SetDeadCell(MemoryArea::DataEeprom, 0x00);
  rig.ui.AnswerBoxes({Answer::Cancel});
  EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::DataEeprom), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(), (std::vector<std::string>{"Maximale Programmierzeit überschritten !",
                                                         "Datenspeicher\n\nProgrammierfehler an Adresse 0 (0x0)\n"}));
  EXPECT_EQ(rig.chip.Data(0x01), 0xFF);
  EXPECT_TRUE(rig.PoweredDown());
}

TEST(ChipOperationsTest, FailedReadEndingStopsTheLoopWithoutAReport) {
  ChipRig rig;
  rig.chip.SetSerialOutFault(sim::VirtualAceChip::SerialOutFault::StuckLow);
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, false), Result::VerifyFailed);
  // The priming read's failure ends the pass; no mismatch box.
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{"SerialOut geht nicht auf 5V nach LOAD=0 !\n"});
  EXPECT_TRUE(rig.PoweredDown());

  rig.ui.Clear();
  rig.ui.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(rig.operations.BlankCheck(), Result::BlankCheckStopped);
  EXPECT_EQ(BoxesAfterSocket(rig.ui).size(), 1u);
  EXPECT_EQ(rig.ui.Texts(Kind::Status), std::vector<std::string>{"Leertest Codespeicher"});
  EXPECT_TRUE(rig.PoweredDown());

  // A read-out keeps the image's byte where the read ending failed.
  rig.power.EnterProgrammingMode();
  EXPECT_EQ(rig.operations.ReadCodeMemory(), Result::Ok);
  EXPECT_EQ(rig.protocol.ReadErrorFlag(), Result::VerifyFailed);
  EXPECT_EQ(rig.image.bytes[0x00], 0xFF);
  rig.power.LeaveProgrammingMode();

  // Programming InitRegister1 (commands: the write, the priming read, the
  // read-back) fails when either read of its check fails, with the ending's
  // message only; reading it (priming read, read) fails at its priming read.
  for (const std::size_t failing : {2u, 3u}) {
    SCOPED_TRACE(failing);
    ChipRig step;
    FailingEnding socket(step.chip, failing, failing);
    step.programmer.Plug(&socket);
    step.settings.InitRegister1Value = 0x41;
    EXPECT_EQ(step.operations.ProgramInitRegister1(), Result::ProgramFailed);
    EXPECT_EQ(step.ui.Messages(), std::vector<std::string>{"SerialOut geht nicht auf 5V nach LOAD=0 !\n"});
    EXPECT_EQ(step.chip.Commands().size(), failing);  // nothing is read after the failed ending
    EXPECT_TRUE(step.PoweredDown());
  }
  ChipRig read;
  read.chip.SetInitRegister1(0x41);
  FailingEnding socket(read.chip, 1, 1);
  read.programmer.Plug(&socket);
  std::uint8_t value = 0;
  EXPECT_EQ(read.operations.ReadInitRegister1(value, false), Result::VerifyFailed);
  EXPECT_EQ(read.ui.Messages(), std::vector<std::string>{"SerialOut geht nicht auf 5V nach LOAD=0 !\n"});
  EXPECT_EQ(read.chip.Commands().size(), 1u);
  EXPECT_TRUE(read.PoweredDown());
}

TEST(ChipOperationsTest, EmptySocketLooksBlankButCannotBeProgrammed) {
  ChipRig rig;
  rig.programmer.Plug(nullptr);
  rig.ui.AnswerBoxes({Answer::Ok, Answer::Ok, Answer::Cancel});
  EXPECT_EQ(rig.operations.BlankCheck(), Result::Ok);
  EXPECT_EQ(BoxesAfterSocket(rig.ui), std::vector<std::string>{kErased});
  rig.ui.Clear();
  EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::ProgramFailed);
  EXPECT_EQ(BoxesAfterSocket(rig.ui),
            (std::vector<std::string>{"SerialOut geht nicht auf 0V nach erstem CLK-Puls !\n",
                                      "Programmspeicher\n\nProgrammierfehler an Adresse 0 (0x0)\n"}));
  EXPECT_FALSE(rig.programmer.Lines().power);
}

TEST(ChipOperationsTest, ProgramInitRegister1WritesAndReadsBack) {
  ChipRig rig;
  rig.settings.InitRegister1Value = 0x41;
  EXPECT_EQ(rig.operations.ProgramInitRegister1(), Result::Ok);
  EXPECT_EQ(rig.chip.InitRegister1(), 0x41);
  EXPECT_TRUE(rig.ui.Messages().empty());
  EXPECT_EQ(rig.ui.Texts(Kind::Status), std::vector<std::string>{"Programmiere InitRegister1"});
  EXPECT_EQ(rig.chip.Commands(),
            (std::vector<std::uint32_t>{0x203F0041u, ReadDataWord(0x3F00), ReadDataWord(0x3F00)}));
  EXPECT_TRUE(rig.PoweredDown());
}

TEST(ChipOperationsTest, ProgramInitRegister1AsksBeforeSettingWdis) {
  const std::string question =
      "Das Bit WDIS im InitRegister1 ist gesetzt !\n\nInitRegister1 wirklich so programmieren ?\n\n"
      "Der Chip kann danach nicht mehr programmiert werden !\n\n";
  {
    ChipRig rig;
    rig.settings.InitRegister1Value = 0x02;
    rig.ui.AnswerBoxes({Answer::Cancel});
    EXPECT_EQ(rig.operations.ProgramInitRegister1(), Result::ProgramFailed);
    EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{question});
    EXPECT_EQ(rig.chip.ProgrammingModeEntries(), 0);
    EXPECT_TRUE(rig.chip.Commands().empty());
  }
  {
    ChipRig rig;
    rig.settings.InitRegister1Value = 0x03;
    rig.ui.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(rig.operations.ProgramInitRegister1(), Result::Ok);
    EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{question});
    EXPECT_EQ(rig.chip.InitRegister1(), 0x03);
    EXPECT_TRUE(rig.PoweredDown());
  }
}

TEST(ChipOperationsTest, WriteProtectedChipFailsTheInitRegister1CheckAndVerification) {
  ChipRig rig;
  rig.chip.SetInitRegister1(0x02);
  rig.settings.InitRegister1Value = 0x00;
  EXPECT_EQ(rig.operations.ProgramInitRegister1(), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(),
            std::vector<std::string>{"InitRegister1 Fehler beim Prüfen !\n\nRichtig: 0x00\nGelesen: 0x02\n"});
  EXPECT_TRUE(rig.PoweredDown());

  // Programming "succeeds" but changes nothing, so verification finds it.
  rig.ui.Clear();
  LoadPattern(rig.image, 0x00, 0x100);
  rig.ui.AnswerBoxes({Answer::Ok, Answer::Cancel});
  EXPECT_EQ(rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::Ok);
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, false), Result::VerifyFailed);
  EXPECT_EQ(BoxesAfterSocket(rig.ui), std::vector<std::string>{
                                          "Programmspeicher Fehler\nan Adresse 0 (0x0) !\nRichtig: 0x03\nGelesen: 0xFF\n"});
}

TEST(ChipOperationsTest, FailedInitRegister1WriteIsReported) {
  ChipRig rig;
  rig.chip.SetSerialOutFault(sim::VirtualAceChip::SerialOutFault::StuckHigh);
  rig.settings.InitRegister1Value = 0x10;
  EXPECT_EQ(rig.operations.ProgramInitRegister1(), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(), (std::vector<std::string>{"SerialOut geht nicht auf 0V nach erstem CLK-Puls !\n",
                                                         "InitRegister1 konnte nicht programmiert werden !"}));
  EXPECT_TRUE(rig.PoweredDown());
}

TEST(ChipOperationsTest, ChipContentsSurviveARestartThroughTheirFile) {
  TempDir dir;
  const std::string path = dir.File("chip.txt");
  MemoryImage burned;
  {
    ChipRig rig;
    LoadPattern(rig.image, 0x00, 0x100);
    burned = rig.image;
    rig.ui.AnswerBoxes({Answer::Ok});
    ASSERT_EQ(rig.operations.ProgramArea(MemoryArea::ProgramMemory), Result::Ok);
    ASSERT_TRUE(rig.chip.SaveTo(path));
  }
  ChipRig rig;
  ASSERT_TRUE(rig.chip.LoadFrom(path));
  rig.image = burned;
  rig.ui.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(rig.operations.VerifyArea(MemoryArea::ProgramMemory, true), Result::Ok);
  EXPECT_EQ(BoxesAfterSocket(rig.ui).size(), 0u);
}

}  // namespace
}  // namespace ferolith::testing
