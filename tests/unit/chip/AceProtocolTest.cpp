#include <gtest/gtest.h>

#include "chip/CommandWord.h"
#include "tests/support/ChipRig.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

constexpr char kNotHighAfterLoad[] = "SerialOut geht nicht auf 5V nach LOAD=0 !\n";
constexpr char kNotLowAfterClock[] = "SerialOut geht nicht auf 0V nach erstem CLK-Puls !\n";
constexpr char kTimeExceeded[] = "Maximale Programmierzeit überschritten !";

DeviceEntry WideDevice(std::uint8_t package = 8, std::int32_t chipType = ChipTypeCode::ACE11) {
  DeviceEntry device = MakeDevice(package, chipType);
  device.CodeEnd = 0x2000;
  device.CodeSize = 0x2000;
  return device;
}

// Powers the rig's chip up and starts recording the register traffic.
void PowerUp(ChipRig& rig) {
  rig.power.EnterProgrammingMode();
  rig.programmer.ClearTrace();
  rig.programmer.EnableTrace(true);
}

// Writes of register 4 with the timing bit set: one per completion poll that
// found the chip still busy.
int TimingPulses(const ChipRig& rig) {
  int pulses = 0;
  for (const auto& write : rig.programmer.RegisterLog()) {
    pulses += write.reg == Reg::R4 && (write.value & Lines::Timing.bit) != 0 ? 1 : 0;
  }
  return pulses;
}

// The register traffic one command should give in programming mode, as the
// protocol lays it out: for each bit the data line set up alone, an input
// read (registers 4 and 8 written with their shadows), CLK up and down; then
// the ending with LOAD low, its checks, clock pulses and completion polls,
// and LOAD back high between two input reads.
struct ExpectedLog {
  std::uint8_t clock;
  std::uint8_t reg10;  // the package's pull-up and the data line as they stand
  std::vector<sim::RegisterWrite> writes;

  void Put(int reg, unsigned value) {
    writes.push_back({static_cast<std::uint8_t>(reg), static_cast<std::uint8_t>(value)});
  }
  void Input() {
    Put(Reg::R4, 0x00);
    Put(Reg::R8, 0x00);
  }
  void ClockPulse() {
    Put(Reg::R10, reg10 | clock);
    Put(Reg::R10, reg10);
  }
  void Shift(std::uint32_t word) {
    for (int bit = 31; bit >= 0; --bit) {
      reg10 = static_cast<std::uint8_t>((reg10 & ~0x01u) | ((word >> bit) & 1u));
      Put(Reg::R10, reg10);
      Input();
      ClockPulse();
    }
  }
  void LoadHighBetweenReads() {
    Input();
    Put(Reg::R6, 0x10);
    Input();
  }
  void Write(std::uint32_t word, int busyPolls) {
    Shift(word);
    Put(Reg::R6, 0x00);
    Input();  // SerialOut high after LOAD fell
    ClockPulse();
    Input();  // and low after the first pulse
    ClockPulse();
    for (int poll = 0; poll < busyPolls; ++poll) {
      Input();
      Put(Reg::R4, 0x20);
      Put(Reg::R4, 0x00);
    }
    Input();  // the poll that finds the cell done
    LoadHighBetweenReads();
  }
  void Read(std::uint32_t word) {
    Shift(word);
    Put(Reg::R6, 0x00);
    Input();
    ClockPulse();
    ClockPulse();
    LoadHighBetweenReads();
  }
};

TEST(CommandWordTest, PlacesCodeAddressAndData) {
  EXPECT_EQ(CommandWord(AceCommand::WriteCode, 0x1234, 0xA5), 0x101234A5u);
  EXPECT_EQ(CommandWord(AceCommand::ReadData, 0x12, 0), 0x21001200u);
  EXPECT_EQ(CommandWord(AceCommand::WriteData, 0xFFFF, 0xFF), 0x20FFFFFFu);
  EXPECT_EQ(CommandWord(AceCommand::ReadCode, 0, 0), 0x11000000u);
}

TEST(AceProtocolTest, WriteCodeByteShiftsTheWordAndProgramsTheCell) {
  ChipRig rig(WideDevice());
  PowerUp(rig);
  ASSERT_TRUE(rig.chip.InProgrammingMode());
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x1234, 0xA5), Result::Ok);
  EXPECT_EQ(ShiftedWords(rig.programmer, 8), std::vector<std::uint32_t>{0x101234A5u});
  EXPECT_EQ(rig.chip.Commands(), std::vector<std::uint32_t>{0x101234A5u});
  EXPECT_EQ(rig.chip.Code(0x1234), 0xA5);
  EXPECT_TRUE(rig.ui.Messages().empty());
  EXPECT_TRUE(rig.LoadHigh());
  EXPECT_TRUE(rig.ClockLow());
  EXPECT_TRUE(rig.chip.Violations().empty());
  EXPECT_TRUE(rig.programmer.Violations().empty());
}

TEST(AceProtocolTest, OneCommandBitGivesThisPortTraffic) {
  // The fourth bit of 0x100012A5 is the first 1, on a DIP8 chip (data bit
  // 0x01, CLK 0x40, SerialOut pull-up 0x80 set) whose output word is all 0,
  // so it holds SerialOut low throughout. Each register write: data port,
  // register number with the strobe low, "ready" (bit 7), strobe, "taken"
  // with half of the input lines in bits 3-6.
  ChipRig rig(WideDevice());
  PowerUp(rig);
  rig.protocol.WriteCodeByte(0x12, 0xA5);
  const auto W = [](int offset, std::uint8_t value) {
    return sim::PortAccess{sim::PortAccess::Kind::Write, static_cast<std::uint16_t>(ChipRig::kBase + offset), value};
  };
  const auto R = [](std::uint8_t value) {
    return sim::PortAccess{sim::PortAccess::Kind::Read, ChipRig::kBase + 1, value};
  };
  const std::vector<sim::PortAccess> expected = {
      // Data line to 1; the high half read last shows SerialOut pulled low.
      W(0, 0x81), W(2, 0x0A), R(0x80), W(2, 0x0B), R(0x00),
      // Input read, register 4: its status carries the low half, where the
      // data line comes back on bit 6.
      W(0, 0x00), W(2, 0x04), R(0x80), W(2, 0x05), R(0x40),
      // Input read, register 8: the high half, SerialOut (bit 5) low.
      W(0, 0x00), W(2, 0x08), R(0xC0), W(2, 0x09), R(0x00),
      // CLK high: the loop-back shows it on bit 4.
      W(0, 0xC1), W(2, 0x0A), R(0x80), W(2, 0x0B), R(0x10),
      // CLK low.
      W(0, 0x81), W(2, 0x0A), R(0x90), W(2, 0x0B), R(0x00)};
  const std::vector<sim::PortAccess>& trace = rig.programmer.Trace();
  constexpr std::ptrdiff_t kPerBit = 25;
  ASSERT_GE(trace.size(), 4u * kPerBit);
  EXPECT_EQ(std::vector<sim::PortAccess>(trace.begin() + 3 * kPerBit, trace.begin() + 4 * kPerBit), expected);
}

TEST(AceProtocolTest, EveryCommandGivesItsRegisterLog) {
  // A cell that takes 1 ms, at 85 us per register write, is found done at
  // the fourth poll: three busy polls of an input read and a timing pulse.
  constexpr int kBusyPolls = 3;
  for (const std::uint8_t package : {std::uint8_t{8}, std::uint8_t{14}}) {
    SCOPED_TRACE(package);
    ChipRig rig(WideDevice(package));
    PowerUp(rig);
    ExpectedLog log{ChipLinesFor(package).clock.bit, ChipLinesFor(package).serialOut.bit, {}};
    const auto expect = [&rig, &log](const char* command) {
      EXPECT_EQ(rig.programmer.RegisterLog(), log.writes) << command;
      rig.programmer.ClearTrace();
      log.writes.clear();
    };

    rig.chip.SetProgramMicros(0);
    EXPECT_EQ(rig.protocol.WriteCodeByte(0x0012, 0xA5), Result::Ok);
    log.Write(0x100012A5u, 0);
    expect("write code, done at once");
    rig.chip.SetProgramMicros(sim::VirtualAceChip::kDefaultProgramMicros);
    EXPECT_EQ(rig.protocol.WriteDataByte(0x0021, 0x5A), Result::Ok);
    log.Write(0x2000215Au, kBusyPolls);
    expect("write data");
    rig.protocol.ReadCodeByte(0x0012);
    log.Read(0x11001200u);
    expect("read code");
    EXPECT_EQ(rig.protocol.ReadDataByte(0x0021), 0xA5);
    log.Read(0x21002100u);
    expect("read data");
    EXPECT_EQ(rig.protocol.WriteInitRegister1(0x41), Result::Ok);
    log.Write(0x203F0041u, kBusyPolls);
    expect("write InitRegister1");
    EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x5A);
    EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x41);
    log.Read(0x213F0000u);
    log.Read(0x213F0000u);
    expect("read InitRegister1");
    EXPECT_EQ(rig.protocol.ReadErrorFlag(), Result::Ok);
  }
}

TEST(AceProtocolTest, ReadsArePipelined) {
  ChipRig rig;
  rig.chip.SetData(0x12, 0x5A);
  rig.chip.SetData(0x13, 0x77);
  PowerUp(rig);
  rig.protocol.ReadDataByte(0x12);  // priming: its own byte comes with the next read
  EXPECT_EQ(rig.protocol.ReadDataByte(0x13), 0x5A);
  EXPECT_EQ(rig.protocol.ReadDataByte(0x12), 0x77);
  EXPECT_EQ(rig.protocol.ReadErrorFlag(), Result::Ok);
  EXPECT_EQ(ShiftedWords(rig.programmer, 8),
            (std::vector<std::uint32_t>{0x21001200u, 0x21001300u, 0x21001200u}));
  EXPECT_TRUE(rig.LoadHigh());
  EXPECT_TRUE(rig.ClockLow());
}

TEST(AceProtocolTest, InitRegister1IsReadWithTwoReadsAndWrittenAtItsAddress) {
  ChipRig rig;
  rig.chip.SetData(0x10, 0x33);
  PowerUp(rig);
  rig.protocol.ReadDataByte(0x10);
  EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x33);  // still the previous read's byte
  EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x00);  // a fresh chip's configuration
  EXPECT_EQ(rig.protocol.WriteInitRegister1(0x41), Result::Ok);
  rig.protocol.ReadInitRegister1();
  EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x41);
  EXPECT_EQ(rig.chip.InitRegister1(), 0x41);
  EXPECT_EQ(rig.chip.Commands().at(3), 0x203F0041u);
}

TEST(AceProtocolTest, PackagesUseTheirOwnClockAndSerialOutLines) {
  for (const std::uint8_t package : {std::uint8_t{8}, std::uint8_t{14}}) {
    SCOPED_TRACE(package);
    ChipRig rig(WideDevice(package));
    rig.chip.SetCode(0x0042, 0x96);
    PowerUp(rig);
    std::uint8_t previous = rig.programmer.Register(Reg::R10);
    EXPECT_EQ(rig.protocol.WriteCodeByte(0x1234, 0xA5), Result::Ok);
    rig.protocol.ReadCodeByte(0x0042);
    EXPECT_EQ(rig.protocol.ReadCodeByte(0x0042), 0x96);

    // Only the data bit and this package's clock change in register 10; the
    // SerialOut pull-up of the package stays set.
    const std::uint8_t clock = package == 8 ? 0x40 : 0x08;
    const std::uint8_t pullUp = package == 8 ? 0x80 : 0x40;
    std::uint8_t changed = 0;
    for (const auto& write : rig.programmer.RegisterLog()) {
      if (write.reg != Reg::R10) continue;
      changed = static_cast<std::uint8_t>(changed | (write.value ^ previous));
      EXPECT_NE(write.value & pullUp, 0);
      previous = write.value;
    }
    EXPECT_EQ(changed, Lines::SerialData.bit | clock);
    EXPECT_EQ(ShiftedWords(rig.programmer, package).front(), 0x101234A5u);
  }
}

TEST(AceProtocolTest, ChipTypesProduceIdenticalTraffic) {
  std::vector<sim::PortAccess> traces[2];
  const std::int32_t types[2] = {ChipTypeCode::ACE11, ChipTypeCode::ACE12};
  for (int i = 0; i < 2; ++i) {
    ChipRig rig(WideDevice(14, types[i]));
    rig.chip.SetCode(0x10, 0x3C);
    PowerUp(rig);
    rig.protocol.WriteCodeByte(0x11, 0x22);
    rig.protocol.ReadCodeByte(0x10);
    rig.protocol.ReadCodeByte(0x11);
    rig.protocol.WriteDataByte(0x05, 0x66);
    traces[i] = rig.programmer.Trace();
  }
  EXPECT_FALSE(traces[0].empty());
  EXPECT_EQ(traces[0], traces[1]);
}

TEST(AceProtocolTest, SerialOutStuckLowFailsBothEndingsOnce) {
  ChipRig rig;
  PowerUp(rig);
  rig.chip.SetSerialOutFault(sim::VirtualAceChip::SerialOutFault::StuckLow);

  EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x01), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{kNotHighAfterLoad});
  EXPECT_TRUE(rig.LoadHigh());
  EXPECT_TRUE(rig.ClockLow());

  rig.ui.Clear();
  rig.protocol.ReadCodeByte(0x10);
  EXPECT_EQ(rig.protocol.ReadErrorFlag(), Result::VerifyFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{kNotHighAfterLoad});
  EXPECT_TRUE(rig.LoadHigh());

  // The flag is assigned by every read, not accumulated.
  rig.chip.SetSerialOutFault(sim::VirtualAceChip::SerialOutFault::None);
  rig.protocol.ReadCodeByte(0x10);
  EXPECT_EQ(rig.protocol.ReadErrorFlag(), Result::Ok);
}

TEST(AceProtocolTest, EmptySocketFailsWritesAfterTheFirstClockAndReadsBlank) {
  ChipRig rig;
  rig.programmer.Plug(nullptr);
  PowerUp(rig);
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x01), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{kNotLowAfterClock});
  EXPECT_TRUE(rig.LoadHigh());
  EXPECT_TRUE(rig.ClockLow());

  rig.ui.Clear();
  EXPECT_EQ(rig.protocol.ReadCodeByte(0x10), 0xFF);
  EXPECT_EQ(rig.protocol.ReadErrorFlag(), Result::Ok);
  EXPECT_TRUE(rig.ui.Messages().empty());
}

TEST(AceProtocolTest, SerialOutStuckHighLooksLikeAnEmptySocket) {
  ChipRig rig;
  PowerUp(rig);
  rig.chip.SetSerialOutFault(sim::VirtualAceChip::SerialOutFault::StuckHigh);
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x01), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{kNotLowAfterClock});
  EXPECT_EQ(rig.chip.Code(0x10), 0xFF);
}

TEST(AceProtocolTest, CompletionPollingCountsPollsNotTime) {
  // A chip that is done at the first poll needs no timing pulse.
  {
    ChipRig rig;
    rig.chip.SetProgramMicros(0);
    PowerUp(rig);
    EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x01), Result::Ok);
    EXPECT_EQ(TimingPulses(rig), 0);
  }
  // A cell that never finishes: exactly MaxProgPolls polls, and limits of
  // 0 and 1 both poll once.
  for (const std::uint32_t limit : {0u, 1u, 3u}) {
    SCOPED_TRACE(limit);
    DeviceEntry device = MakeDevice();
    device.MaxProgPolls = limit;
    ChipRig rig(device);
    rig.chip.SetDeadCell(MemoryArea::ProgramMemory, 0x10);
    PowerUp(rig);
    EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x01), Result::ProgramFailed);
    EXPECT_EQ(TimingPulses(rig), limit == 0 ? 1 : static_cast<int>(limit));
    EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{kTimeExceeded});
    EXPECT_TRUE(rig.LoadHigh());
    EXPECT_EQ(rig.chip.Code(0x10), 0xFF);
  }
}

TEST(AceProtocolTest, SlowCellFailsWhenItOutlastsThePolls) {
  ChipRig rig;
  rig.chip.SetSlowCell(MemoryArea::DataEeprom, 0x20, 50000);  // 50 ms against about 40 ms of polling
  rig.chip.SetSlowCell(MemoryArea::DataEeprom, 0x21, 20000);
  PowerUp(rig);
  EXPECT_EQ(rig.protocol.WriteDataByte(0x20, 0x11), Result::ProgramFailed);
  EXPECT_EQ(rig.ui.Messages(), std::vector<std::string>{kTimeExceeded});
  EXPECT_EQ(rig.chip.Data(0x20), 0xFF);  // LOAD rose before it was done
  EXPECT_EQ(rig.protocol.WriteDataByte(0x21, 0x22), Result::Ok);
  EXPECT_EQ(rig.chip.Data(0x21), 0x22);
  EXPECT_EQ(rig.ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace ferolith::testing
