#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <functional>

#include "core/DataFormat.h"
#include "core/TextFormat.h"
#include "tests/support/ChainFixture.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

constexpr int kQuellmark = 0;
constexpr int kDip8WithEeprom = 1;   // QM1108-2KE: code 0x0000..0x07FF, data 0xF000..0xF03F
constexpr int kDip14WithEeprom = 2;  // QM1114-4KE: code 0x0000..0x0FFF, data 0xF000..0xF07F
constexpr const char* kBrennenOk = "Keine Fehler beim prüfen\n";

class CommandChains : public ChainTest {
 protected:
  // A burn file for the whole program memory and its companion .rex file.
  void MakeBurnFiles(std::size_t codeSize, std::size_t dataSize) {
    code_ = Pattern(codeSize, 1);
    data_ = Pattern(dataSize, 2);
    burnFile_ = WriteHex("firmware.hex", 0x0000, code_);
    WriteHex("firmware.rex", 0xF000, data_);
    P().SetBurnFile(burnFile_);
  }
  void ExpectChipHolds(std::uint8_t initRegister1) {
    for (std::size_t a = 0; a < code_.size(); ++a) {
      ASSERT_EQ(Chip().Code(static_cast<std::uint32_t>(a)), code_[a]) << a;
    }
    for (std::size_t a = 0; a < data_.size(); ++a) {
      ASSERT_EQ(Chip().Data(0xF000 + static_cast<std::uint32_t>(a)), data_[a]) << a;
    }
    EXPECT_EQ(Chip().InitRegister1(), initRegister1);
  }

  std::vector<std::uint8_t> code_;
  std::vector<std::uint8_t> data_;
  std::string burnFile_;
};

TEST_F(CommandChains, BrennenProgramsBothAreasAndInitRegister1WithVerify) {
  Start(kQuellmark, kDip8WithEeprom, "Verify=1\nInitRegister1=3c\n");
  MakeBurnFiles(0x800, 64);
  ui_.AnswerBoxes({Answer::Ok});  // the socket box, once for the whole chain
  EXPECT_EQ(P().OnBrennen(), Result::Ok);
  ExpectChipHolds(0x3C);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{kBrennenOk});
  EXPECT_EQ(ui_.Count(Kind::OkCancel), 1);
  EXPECT_EQ(ui_.UnscriptedBoxes(), 0);
  EXPECT_EQ(Programmer().Violations(), std::vector<std::string>{});
  EXPECT_EQ(Chip().Violations(), std::vector<std::string>{});
  ExpectIdleAndPoweredDown();
  // Program memory, its verification, data EEPROM, its verification, InitRegister1.
  const auto status = ui_.Texts(Kind::Status);
  const std::vector<std::string> passes(status.begin(), status.end());
  EXPECT_NE(std::find(passes.begin(), passes.end(),
                      "Programmspeicher Bytes: 2048 (0x800) bis Adresse: 2047 (0x7FF) "),
            passes.end());
  EXPECT_NE(std::find(passes.begin(), passes.end(),
                      "EEpromspeicher prüfen Bytes: 64 (0x40) bis Adresse: 61503 (0xF03F)"),
            passes.end());
}

TEST_F(CommandChains, BrennenWithoutVerifyReadsNothingBackButInitRegister1) {
  Start(kQuellmark, kDip14WithEeprom, "Verify=0\n");
  MakeBurnFiles(0x1000, 128);
  ui_.AnswerBoxes({Answer::Ok});
  Chip().ClearCommands();
  EXPECT_EQ(P().OnBrennen(), Result::Ok);
  ExpectChipHolds(0x00);
  int reads = 0;
  for (std::uint32_t word : Chip().Commands()) reads += (word >> 24) == 0x11 || (word >> 24) == 0x21;
  EXPECT_EQ(reads, 2);  // the InitRegister1 read-back and its priming read
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{kBrennenOk});
}

TEST_F(CommandChains, BrennenWithoutCompanionFileProgramsCodeAndInitRegister1) {
  Start(kQuellmark, kDip8WithEeprom);
  code_ = Pattern(0x100, 3);
  P().SetBurnFile(WriteHex("lonely.hex", 0, code_));
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnBrennen(), Result::Ok);
  EXPECT_EQ(Chip().Code(0x0FF), code_[0xFF]);
  EXPECT_EQ(Chip().Data(0xF000), 0xFF);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{kBrennenOk});
}

TEST_F(CommandChains, PruefenReportsACompanionFileForADeviceWithoutDataEeprom) {
  // QM1108-1K has no data EEPROM; Prüfen still tries the .rex beside the
  // burn file, and its refusal is the chain's result.
  Start(kQuellmark, 0);
  code_ = Pattern(0x100, 4);
  P().SetBurnFile(WriteHex("firmware.hex", 0, code_));
  WriteHex("firmware.rex", 0xF000, Pattern(16, 5));
  ui_.AnswerBoxes({Answer::Ok});
  ASSERT_EQ(P().OnBrennen(), Result::Ok);  // Brennen skips the data EEPROM here
  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnPruefen(), Result::FileNotLoaded);
  EXPECT_EQ(ui_.Texts(Kind::Info),
            std::vector<std::string>{"Zuviele EEpromdaten für diesen Controller-Typ !\n\n"
                                     "Der Baustein hat keinen EEPROM-Datenspeicher.\nGelesen: 16 Bytes\n"});
  ExpectIdleAndPoweredDown();
}

TEST_F(CommandChains, ARefusedCompanionFileEndsTheChainWithoutSuccess) {
  // A companion file that is refused - out of range, unreadable as HEX, or
  // not a file at all - stops Brennen before InitRegister1, and Prüfen
  // before its success message.
  Start(kQuellmark, kDip8WithEeprom, "Verify=1\nInitRegister1=3c\n");
  MakeBurnFiles(0x100, 16);
  const std::string rex = dir_.File("firmware.rex");
  const std::pair<const char*, std::string> refusals[] = {
      {":01000000AA55\n", "Adresse außerhalb des EEPROM-Datenbereichs !"},
      {":0100F000AA\n", "Länge der HEX-Zeile 1 stimmt nicht !"},
      {"", "Fehler beim Öffnen der Datei\n\n" + rex + "\n\nKeine gewöhnliche Datei"},
  };
  for (const auto& [contents, message] : refusals) {
    SCOPED_TRACE(message);
    std::filesystem::remove_all(rex);
    if (*contents != '\0') {
      WriteFileBytes(rex, contents);
    } else {
      std::filesystem::create_directory(rex);
    }
    for (const bool brennen : {true, false}) {
      ui_.Clear();
      ui_.AnswerBoxes({Answer::Ok});
      EXPECT_EQ(brennen ? P().OnBrennen() : P().OnPruefen(), Result::FileNotLoaded);
      const auto infos = ui_.Texts(Kind::Info);
      ASSERT_EQ(infos.size(), 1u);
      EXPECT_EQ(infos[0].rfind(message, 0), 0u) << infos[0];
      ExpectIdleAndPoweredDown();
    }
    EXPECT_EQ(Chip().Code(0x0FF), code_[0xFF]);  // the program memory went first
    EXPECT_EQ(Chip().InitRegister1(), 0x00);      // but InitRegister1 was not reached
  }
}

TEST_F(CommandChains, PruefenPassesAndReportsTheExactMismatch) {
  Start(kQuellmark, kDip8WithEeprom);
  MakeBurnFiles(0x800, 64);
  ui_.AnswerBoxes({Answer::Ok, Answer::Ok});
  ASSERT_EQ(P().OnBrennen(), Result::Ok);
  ui_.Clear();
  EXPECT_EQ(P().OnPruefen(), Result::Ok);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"Keine Fehler beim Prüfen"});

  Chip().SetCode(0x123, 0x5A);
  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok, Answer::Retry});
  EXPECT_EQ(P().OnPruefen(), Result::VerifyFailed);
  const std::string expected = FormatText(
      "Programmspeicher Fehler\nan Adresse 291 (0x123) !\nRichtig: 0x%02X\nGelesen: 0x5A\n",
      code_[0x123]);
  EXPECT_EQ(ui_.Texts(Kind::RetryCancel), std::vector<std::string>{expected});
  EXPECT_TRUE(ui_.Texts(Kind::Info).empty());
  ExpectIdleAndPoweredDown();
}

TEST_F(CommandChains, LeertestOfBlankAndNonBlankChips) {
  Start(kQuellmark, kDip8WithEeprom);
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnLeertest(), Result::Ok);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"\nController ist gelöscht !\n"});

  Chip().SetCode(0x010, 0x00);
  Chip().SetCode(0x7FF, 0x12);
  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok, Answer::Retry, Answer::Retry});
  EXPECT_EQ(P().OnLeertest(), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui_.Texts(Kind::RetryCancel),
            (std::vector<std::string>{
                "CodeSpeicher an Adresse 0x0010 ist nicht leer !\nInhalt 0x00\n",
                "CodeSpeicher an Adresse 0x07FF ist nicht leer !\nInhalt 0x12\n"}));
  EXPECT_TRUE(ui_.Texts(Kind::Info).empty());

  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok, Answer::Cancel});
  EXPECT_EQ(P().OnLeertest(), Result::BlankCheckStopped);
  EXPECT_EQ(ui_.Count(Kind::RetryCancel), 1);
  EXPECT_EQ(ui_.UnscriptedBoxes(), 0);
  ExpectIdleAndPoweredDown();
}

TEST_F(CommandChains, InitRegisterReadsTheChipIntoThePanel) {
  Start(kQuellmark, kDip8WithEeprom);
  Chip().SetInitRegister1(0xC5);
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnInitRegister(), Result::Ok);
  EXPECT_EQ(State().settings.InitRegister1Value, 0xC5);
  ASSERT_EQ(ui_.Count(Kind::InitRegister1), 1);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"InitRegister1 gelesen"});
  EXPECT_EQ(ui_.Texts(Kind::OkCancel).front(),
            " #### InitRegister1 lesen  ####\n\nQM1108-2KE\n\n\nACE-Adapter ** unten ** in Sockel 1 "
            "einsetzen.\nACE-Chip ** oben ** im Adapter einsetzen.\n");
  ExpectIdleAndPoweredDown();
}

TEST_F(CommandChains, WdisIsAskedBeforeProgrammingAndCancelLeavesTheChipUntouched) {
  Start(kQuellmark, kDip8WithEeprom, "InitRegister1=2\nVerify=0\n");
  MakeBurnFiles(0x40, 0);
  ui_.AnswerBoxes({Answer::Ok, Answer::Cancel});
  EXPECT_EQ(P().OnBrennen(), Result::ProgramFailed);
  EXPECT_EQ(Chip().InitRegister1(), 0x00);
  EXPECT_EQ(ui_.Texts(Kind::OkCancel).back(),
            "Das Bit WDIS im InitRegister1 ist gesetzt !\n\nInitRegister1 wirklich so "
            "programmieren ?\n\nDer Chip kann danach nicht mehr programmiert werden !\n\n");

  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok, Answer::Ok});
  EXPECT_EQ(P().OnBrennen(), Result::Ok);
  EXPECT_EQ(Chip().InitRegister1(), 0x02);
  // Write protection is now on: a different image no longer reaches the chip.
  const auto before = Chip().Code(0);
  P().SetBurnFile(WriteHex("other.hex", 0, {static_cast<std::uint8_t>(before ^ 0xFF)}));
  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok, Answer::Cancel, Answer::Cancel});
  State().settings.Verify = 1;
  EXPECT_EQ(P().OnBrennen(), Result::VerifyFailed);
  EXPECT_EQ(Chip().Code(0), before);
}

TEST_F(CommandChains, EveryChainAsksForTheSocketOnceBeforeItsFirstPass) {
  Start(kQuellmark, kDip8WithEeprom, "Verify=1\n");
  MakeBurnFiles(0x100, 16);
  const std::string readOut = dir_.File("back.bin");
  const struct {
    const char* name;
    std::function<ResultCode()> run;
  } chains[] = {
      {"Leertest", [this] { return P().OnLeertest(); }},
      {"Brennen", [this] { return P().OnBrennen(); }},
      {"Prüfen", [this] { return P().OnPruefen(); }},
      {"InitRegister", [this] { return P().OnInitRegister(); }},
      {"Auslesen", [this, &readOut] { return P().ReadOutTo(readOut, DataFormat::Binary); }},
      {"Auslesen twice", [this, &readOut] { return P().ReadOutTo(readOut, DataFormat::Binary, true); }},
  };
  for (const auto& chain : chains) {
    SCOPED_TRACE(chain.name);
    ui_.Clear();
    ui_.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(chain.run(), Result::Ok);
    // The one socket box comes before the status text of any pass.
    const auto& events = ui_.Events();
    const auto first = [&events](Kind kind) {
      return std::find_if(events.begin(), events.end(), [kind](const ScriptedUi::Event& e) { return e.kind == kind; }) -
             events.begin();
    };
    EXPECT_EQ(ui_.Count(Kind::OkCancel), 1);
    EXPECT_LT(first(Kind::OkCancel), first(Kind::Status));
    EXPECT_EQ(ui_.UnscriptedBoxes(), 0);
    ExpectIdleAndPoweredDown();
  }
}

TEST_F(CommandChains, AbbrechenStopsThePassAtTheNextStep) {
  Start(kQuellmark, kDip8WithEeprom);
  MakeBurnFiles(0x800, 64);
  ui_.OnPump([this](int pump) {
    if (pump == 5) P().OnAbbrechen();
  });
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnBrennen(), Result::ProgramFailed);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"Programmierung abgebrochen !"});
  EXPECT_EQ(Chip().Code(0x7FF), 0xFF);  // the end of the area was never reached
  ExpectIdleAndPoweredDown();
}

TEST_F(CommandChains, AtRealSpeedTheClockFollowsTheProgrammerAndTheWindowIsPumpedEveryGap) {
  using std::chrono::milliseconds;
  speed_ = sim::SimulationSpeed{1};
  Start(kQuellmark, kDip8WithEeprom, "Verify=1\nInitRegister1=3c\n");
  MakeBurnFiles(0x800, 64);
  const std::uint64_t virtualStart = Programmer().NowMicros();
  const std::uint64_t writesStart = Programmer().RegisterWrites();
  PumpTimes pumps(clock_);
  ui_.OnPump([&pumps](int pump) { pumps(pump); });
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnBrennen(), Result::Ok);
  ExpectChipHolds(0x3C);
  // Each register write lasted TimeBaseKorr (85) us of the program's clock.
  const std::uint64_t virtualMicros = Programmer().NowMicros() - virtualStart;
  EXPECT_EQ(virtualMicros, (Programmer().RegisterWrites() - writesStart) * 85u);
  const auto wallMicros =
      std::chrono::duration_cast<std::chrono::microseconds>(clock_.Now() - pumps.start).count();
  EXPECT_LE(wallMicros, static_cast<std::int64_t>(virtualMicros));
  EXPECT_GE(wallMicros, static_cast<std::int64_t>(virtualMicros) - 1000);
  // A minute of programming and verifying, the window pumped all along:
  // never longer silent than the gap, a paced sleep and a register write.
  EXPECT_GT(wallMicros, 60'000'000);
  EXPECT_LE(pumps.LongestSilence(), PumpPacer::kMaxGap + milliseconds(2));
  ExpectIdleAndPoweredDown();
}

TEST_F(CommandChains, DemoModeRefusesEveryCommandAfterTheFileDialog) {
  Start(kQuellmark, kDip8WithEeprom, "", "SearchHardware=3\n", sim::AbsentStatus::High);
  EXPECT_EQ(State().DemoMode, 1);
  EXPECT_EQ(view_.opened, 2);  // between the three failed attempts
  const auto messages = ui_.Texts(Kind::Info);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus.");
  // The status line says so from now on, also after every refused command.
  const std::string demoIdle = "Warte auf Eingaben  –  Demomodus: ohne Brenner";
  EXPECT_EQ(ui_.Status(), demoIdle);
  ui_.Clear();
  State().settings.BurnFileName.clear();
  ui_.AnswerOpenDialog(FileChoice{dir_.File("x.hex"), "x.hex", 3});
  EXPECT_EQ(P().OnBrennen(), Result::ProgrammerNotFound);
  EXPECT_EQ(ui_.Count(Kind::OpenDialog), 1);
  EXPECT_EQ(P().OnLeertest(), Result::ProgrammerNotFound);
  EXPECT_EQ(P().OnInitRegister(), Result::ProgrammerNotFound);
  for (const auto& text : ui_.Texts(Kind::Info)) {
    EXPECT_EQ(text, "Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus.");
  }
  EXPECT_EQ(ui_.Count(Kind::Info), 3);
  EXPECT_EQ(ui_.Status(), demoIdle);
  // Chosen without a command: the file dialog alone.
  ui_.AnswerOpenDialog(FileChoice{dir_.File("y.hex"), "y.hex", 3});
  EXPECT_EQ(P().ChooseBurnFile(), Result::Ok);
  EXPECT_EQ(ui_.Status(), demoIdle);
}

// Without ACELIST.CSV the start-up says so once, naming the file it looked
// for; each command that needs the device says it again.
TEST_F(CommandChains, AMissingLibraryIsToldOnceWithItsPath) {
  Start(kQuellmark, kDip8WithEeprom);
  std::filesystem::remove(dir_.File("ACELIST.CSV"));
  ui_.Clear();
  manufacturers_.Clear();
  EXPECT_EQ(P().FillLists(), Result::LibraryError);
  const std::string missing = "Kann Bauteilbibliothek nicht öffnen !\n\n" + dir_.File("ACELIST.CSV");
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{missing});
  ui_.Clear();
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnLeertest(), Result::LibraryError);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{missing});
}

TEST_F(CommandChains, ABusyProgrammerOfAnotherProcessRefusesSilently) {
#ifdef _WIN32
  GTEST_SKIP() << "the mark of another process is a window title there; the markers' own test covers it";
#else
  Start(kQuellmark, kDip8WithEeprom);
  int ready[2];
  int release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    LockFileMarkers other(dir_.File("marks"));
    auto hold = other.Hold(Marker::ProgrammerBusy);
    char byte = 1;
    (void)!write(ready[1], &byte, 1);
    (void)!read(release[0], &byte, 1);
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  EXPECT_EQ(P().OnLeertest(), Result::ProgramFailed);
  EXPECT_EQ(P().OnBrennen(), Result::ProgramFailed);
  EXPECT_TRUE(ui_.Messages().empty());
  EXPECT_FALSE(P().Close(10, 10));  // closing is ignored while busy
  ASSERT_EQ(write(release[1], &byte, 1), 1);
  waitpid(child, nullptr, 0);
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnLeertest(), Result::Ok);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
#endif
}

// The virtual chip is kept in its file after every command; a file that
// is not one (a burn file named by mistake) is said so and never written.
TEST_F(CommandChains, ASimulationFileKeepsTheChipButAnotherFileIsNeverWritten) {
  const std::string sim = dir_.File("chip.sim");
  simulationFile_ = sim;
  Start(kQuellmark, kDip8WithEeprom);
  ui_.AnswerBoxes({Answer::Ok});
  MakeBurnFiles(0x10, 0x4);
  ASSERT_EQ(P().OnBrennen(), Result::Ok);
  EXPECT_EQ(ReadFileBytes(sim).rfind("ACE-CHIP 1\n", 0), 0u);

  const std::string hex = ReadFileBytes(burnFile_);
  simulationFile_ = burnFile_;
  program_.reset();
  std::filesystem::remove(dir_.File("ACELIST.CSV"));
  ui_.Clear();
  Start(kQuellmark, kDip8WithEeprom);
  EXPECT_EQ(ui_.Texts(Kind::Info),
            std::vector<std::string>{"'" + burnFile_ +
                                     "' ist keine Simulationsdatei (ihre erste Zeile ist nicht \"ACE-CHIP 1\") "
                                     "und wird nicht überschrieben.\n\nDer virtuelle Chip ist leer."});
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnLeertest(), Result::Ok);  // a blank chip
  P().SetBurnFile(burnFile_);
  ui_.AnswerBoxes({Answer::Ok});
  EXPECT_EQ(P().OnBrennen(), Result::Ok);
  EXPECT_EQ(ReadFileBytes(burnFile_), hex);
}

}  // namespace
}  // namespace ferolith::testing
