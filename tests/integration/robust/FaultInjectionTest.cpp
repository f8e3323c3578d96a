// Faults injected into whole Brennen and Auslesen chains on the simulator:
// the programmer switched off at every register write, the chip pulled in
// the middle of a pass, a cell that will not program, read endings that fail.
// Every chain must end, say a bounded number of things, and leave the
// program idle with the socket switched off.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DataFormat.h"
#include "tests/integration/robust/TinyDeviceChain.h"
#include "tests/support/FailingEnding.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

constexpr const char* kBrennenOk = "Keine Fehler beim prüfen\n";

class FaultInjection : public TinyDeviceChain {
 protected:
  std::vector<std::string> Infos() const { return ui_.Texts(Kind::Info); }
};

TEST_F(FaultInjection, ProgrammerSwitchedOffAtEveryRegisterWriteOfABrennen) {
  StartTiny(false);
  const std::uint64_t before = Programmer().RegisterWrites();
  ASSERT_EQ(Brennen(), Result::Ok);
  ASSERT_EQ(Infos(), std::vector<std::string>{kBrennenOk});
  const std::uint64_t total = Programmer().RegisterWrites() - before;
  ASSERT_GT(total, 100u);

  // Every write of the power-up, then a dense sample of the rest (every
  // write would take minutes: each pass polls thousands of times).
  std::vector<std::uint64_t> indices;
  for (std::uint64_t n = 1; n < total; n += n < 120 ? 1 : 331) indices.push_back(n);
  indices.push_back(total - 1);
  for (std::uint64_t n : indices) {
    SCOPED_TRACE("switched off after write " + std::to_string(n) + " of " + std::to_string(total));
    Programmer().SetAbsent(false);
    Programmer().SwitchOffAfterWrites(n);
    const ResultCode result = Brennen();
    ASSERT_FALSE(Programmer().SwitchedOn());
    // One handshake message ends each step; the steps are fewer than the
    // writes that were left, and the chain's own reports add a few.
    const auto infos = Infos();
    const auto boxes = infos.size() + static_cast<std::size_t>(ui_.Count(Kind::RetryCancel));
    EXPECT_LE(boxes, total - n + 3);
    EXPECT_EQ(ui_.Count(Kind::OkCancel), 1);  // the socket box, no other question
    // A timeout was reported, so the chain never ends in success, not even
    // when the switch came during the final power-down.
    EXPECT_NE(result, Result::Ok);
    EXPECT_EQ(std::count(infos.begin(), infos.end(), kBrennenOk), 0);
    EXPECT_GE(boxes, 1u);
    ExpectIdleAndPoweredDown();
    if (::testing::Test::HasFailure()) break;
  }

  // Switched on again, the same chain programs the chip.
  Programmer().SetAbsent(false);
  EXPECT_EQ(Brennen(), Result::Ok);
  EXPECT_EQ(Infos(), std::vector<std::string>{kBrennenOk});
  for (std::uint32_t a = 0; a < 4; ++a) {
    EXPECT_EQ(Chip().Code(a), code_[a]);
    EXPECT_EQ(Chip().Data(kDataStart + a), data_[a]);
  }
  EXPECT_EQ(Chip().InitRegister1(), 0x3C);
}

TEST_F(FaultInjection, ATimeoutAtTheLastWriteOfACommandEndsItWithoutSuccess) {
  StartTiny(true);
  struct Command {
    const char* name;
    std::function<ResultCode()> run;
    const char* success;
  };
  const std::string readOut = dir_.File("back.hex");
  const Command commands[] = {
      {"Leertest", [this] { return P().OnLeertest(); }, "\nController ist gelöscht !\n"},
      {"Brennen", [this] { return P().OnBrennen(); }, kBrennenOk},
      {"Prüfen", [this] { return P().OnPruefen(); }, "Keine Fehler beim Prüfen"},
      {"InitRegister", [this] { return P().OnInitRegister(); }, "InitRegister1 gelesen"},
      {"Auslesen", [this, &readOut] { return P().ReadOutTo(readOut, DataFormat::Intel8); },
       "\nProzessor-Programm gespeichert \n"},
  };
  for (const Command& command : commands) {
    SCOPED_TRACE(command.name);
    const auto run = [this, &command] {
      ui_.Clear();
      ui_.SetDefaultAnswer(Answer::Cancel);
      ui_.AnswerBoxes({Answer::Ok});
      return command.run();
    };
    // The programmer goes off after the last register write of a run that
    // succeeds otherwise, so the final power-down misses its handshake.
    State().settings.InitRegister1Value = 0x3C;
    std::filesystem::remove(dir_.File("back.rex"));
    const std::uint64_t before = Programmer().RegisterWrites();
    ASSERT_EQ(run(), Result::Ok);
    ASSERT_EQ(Infos().back(), command.success);
    const std::uint64_t total = Programmer().RegisterWrites() - before;
    std::filesystem::remove(dir_.File("back.rex"));
    State().settings.InitRegister1Value = 0x00;

    Programmer().SwitchOffAfterWrites(total - 1);
    EXPECT_EQ(run(), Result::HandshakeTimeout);
    const auto infos = Infos();
    EXPECT_EQ(std::count(infos.begin(), infos.end(), command.success), 0);
    EXPECT_GE(infos.size(), 1u);
    EXPECT_EQ(State().settings.InitRegister1Value, 0x00);  // not taken from a doubtful read
    EXPECT_FALSE(std::filesystem::exists(dir_.File("back.rex")));  // no read-out kept
    ExpectIdleAndPoweredDown();
    Programmer().SetAbsent(false);
  }
}

TEST_F(FaultInjection, ChipPulledInTheMiddleOfAPass) {
  StartTiny(true);
  // Pumps happen at every progress step; pull the chip at the second.
  ui_.OnPump([this](int pump) {
    if (pump == 2) Programmer().Plug(nullptr);
  });
  const ResultCode result = Brennen(Answer::Cancel);
  EXPECT_EQ(result, Result::ProgramFailed);
  const auto retries = ui_.Texts(Kind::RetryCancel);
  ASSERT_EQ(retries.size(), 1u);
  EXPECT_EQ(retries[0].rfind("Programmspeicher\n\nProgrammierfehler an Adresse", 0), 0u);
  EXPECT_LE(Infos().size(), 2u);
  EXPECT_FALSE(Programmer().Lines().power);
  // Put back, the chip finds the socket switched off.
  Programmer().Plug(&Chip());
  ExpectIdleAndPoweredDown();
  EXPECT_EQ(Chip().Code(0), code_[0]);  // written before the chip went
  EXPECT_EQ(Chip().Code(3), 0xFF);

  // The next chain runs through.
  ui_.OnPump({});
  EXPECT_EQ(Brennen(), Result::Ok);
  EXPECT_EQ(Infos(), std::vector<std::string>{kBrennenOk});
}

TEST_F(FaultInjection, DeadCellAnsweredWithRetryAndWithCancel) {
  StartTiny(true);
  // Every command puts a fresh chip of the selected device into the socket:
  // the cell dies once the pass has begun.
  ui_.OnPump([this](int) { Chip().SetDeadCell(MemoryArea::ProgramMemory, 2); });
  const std::string failed = "Programmspeicher\n\nProgrammierfehler an Adresse 2 (0x2)\n";

  // Cancel: the pass stops at the dead cell, nothing after it is written.
  EXPECT_EQ(Brennen(Answer::Cancel), Result::ProgramFailed);
  EXPECT_EQ(ui_.Texts(Kind::RetryCancel), std::vector<std::string>{failed});
  EXPECT_EQ(Chip().Code(3), 0xFF);
  EXPECT_EQ(Chip().Data(kDataStart), 0xFF);
  ExpectIdleAndPoweredDown();

  // Retry: the pass goes on past the cell, and the chain ends there as
  // failed, with verification off as with it on.
  for (const bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "Verify" : "no Verify");
    P().OnBausteinPruefen(verify);
    EXPECT_EQ(Brennen(Answer::Retry), Result::ProgramFailed);
    EXPECT_EQ(ui_.Texts(Kind::RetryCancel), std::vector<std::string>{failed});
    EXPECT_EQ(Chip().Code(3), code_[3]);
    EXPECT_EQ(Chip().Data(kDataStart), 0xFF);  // nothing after the failed pass
    const auto infos = Infos();
    EXPECT_EQ(std::count(infos.begin(), infos.end(), kBrennenOk), 0);
  }
  ExpectIdleAndPoweredDown();
}

class FailingReadEnding : public TinyDeviceChain {
 protected:
  static constexpr const char* kEndingFailed = "SerialOut geht nicht auf 5V nach LOAD=0 !\n";

  // Reads the chip into "chip.bin" and its data EEPROM into "chip.rex" (over
  // an old "chip.rex"), with the read endings of the data pass's `first`-th
  // to `last`-th command words failing (1 is the priming read). Every
  // command puts a fresh chip into the socket, so the faulty socket goes in
  // front of it at the code pass's last progress step.
  ResultCode ReadOutWithFailure(std::size_t first, std::size_t last) {
    WriteFileBytes(dir_.File("chip.rex"), "old contents\n");
    std::unique_ptr<FailingEnding> socket;
    int pumps = 0;
    ui_.OnPump([this, &socket, &pumps, first, last](int) {
      if (++pumps != 4) return;
      for (std::uint32_t a = 0; a < 4; ++a) Chip().SetData(kDataStart + a, data_[a]);
      const std::size_t done = Chip().Commands().size();
      socket = std::make_unique<FailingEnding>(Chip(), done + first, done + last);
      Programmer().Plug(socket.get());
    });
    ui_.Clear();
    ui_.AnswerBoxes({Answer::Ok});
    const ResultCode result = P().ReadOutTo(dir_.File("chip.bin"), DataFormat::Intel8);
    ui_.OnPump({});
    Programmer().Plug(&Chip());
    return result;
  }
  std::vector<std::string> Infos() const { return ui_.Texts(Kind::Info); }
  std::string OldRex() { return ReadFileBytes(dir_.File("chip.rex")); }
};

TEST_F(FailingReadEnding, AtThePrimingReadStopsTheReadOutAndKeepsTheOldFile) {
  StartTiny(false, "FFSave=1\n");
  // The chip never executed the priming read: going on would save a stale
  // byte as the first cell and report the read-out as done.
  EXPECT_EQ(ReadOutWithFailure(1, 1), Result::NotBlankOrReadOut);
  EXPECT_EQ(Infos(), std::vector<std::string>{kEndingFailed});
  EXPECT_EQ(OldRex(), "old contents\n");
  ExpectIdleAndPoweredDown();
}

TEST_F(FailingReadEnding, InsideTheLoopStopsTheReadOutAndKeepsTheOldFile) {
  StartTiny(false, "FFSave=1\n");
  EXPECT_EQ(ReadOutWithFailure(3, 3), Result::NotBlankOrReadOut);
  EXPECT_EQ(Infos(), std::vector<std::string>{kEndingFailed});
  EXPECT_EQ(OldRex(), "old contents\n");
  ExpectIdleAndPoweredDown();
}

TEST_F(FailingReadEnding, SerialOutStuckStopsAtThePrimingRead) {
  StartTiny(false, "FFSave=1\n");
  EXPECT_EQ(ReadOutWithFailure(1, 1000), Result::NotBlankOrReadOut);
  // The priming read fails, and nothing is read after it.
  EXPECT_EQ(Infos(), std::vector<std::string>{kEndingFailed});
  EXPECT_EQ(OldRex(), "old contents\n");
  ExpectIdleAndPoweredDown();
}

}  // namespace
}  // namespace ferolith::testing
