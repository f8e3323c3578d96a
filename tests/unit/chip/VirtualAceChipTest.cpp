#include <gtest/gtest.h>

#include "sim/chip/ChipContents.h"
#include "tests/support/TempDir.h"
#include "tests/support/ChipRig.h"

namespace ferolith::testing {
namespace {

TEST(VirtualAceChipTest, EntersProgrammingModeOnlyWithTheRightVoltages) {
  struct Case {
    std::uint8_t operatingCode;
    std::uint8_t programmingCode;
    bool enters;
  };
  const Case cases[] = {
      {100, 120, true},   // 5.0 V, 12.0 V
      {90, 115, true},    // 4.5 V, 11.5 V
      {110, 135, true},   // 5.5 V, 13.5 V
      {89, 120, false},   // 4.45 V
      {111, 120, false},  // 5.55 V
      {100, 114, false},  // 11.4 V
      {100, 136, false},  // 13.6 V
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int{c.operatingCode} << "/" << int{c.programmingCode});
    DeviceEntry device = MakeDevice();
    device.OperVoltageCode = c.operatingCode;
    device.ProgVoltageCode = c.programmingCode;
    ChipRig rig(device);
    rig.power.EnterProgrammingMode();
    EXPECT_TRUE(rig.chip.PoweredUp());
    EXPECT_EQ(rig.chip.InProgrammingMode(), c.enters);
    rig.power.LeaveProgrammingMode();
    EXPECT_TRUE(rig.PoweredDown());
  }
}

TEST(VirtualAceChipTest, IgnoresTheLinesOutsideProgrammingMode) {
  DeviceEntry device = MakeDevice();
  device.ProgVoltageCode = 50;  // 5 V: no entry
  ChipRig rig(device);
  rig.chip.SetCode(0x10, 0x12);
  rig.power.EnterProgrammingMode();
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x34), Result::ProgramFailed);
  EXPECT_EQ(rig.chip.Code(0x10), 0x12);
  EXPECT_TRUE(rig.chip.Commands().empty());
}

TEST(VirtualAceChipTest, PowerLossEndsProgrammingMode) {
  ChipRig rig;
  rig.power.EnterProgrammingMode();
  ASSERT_TRUE(rig.chip.InProgrammingMode());
  rig.power.SafeState();
  EXPECT_TRUE(rig.PoweredDown());
  rig.power.EnterProgrammingMode();
  EXPECT_TRUE(rig.chip.InProgrammingMode());
  EXPECT_EQ(rig.chip.ProgrammingModeEntries(), 2);
}

TEST(VirtualAceChipTest, WriteDisableKeepsEveryCellIncludingInitRegister1) {
  ChipRig rig;
  rig.chip.SetCode(0x10, 0x12);
  rig.power.EnterProgrammingMode();
  EXPECT_EQ(rig.protocol.WriteInitRegister1(0x02), Result::Ok);
  EXPECT_EQ(rig.chip.InitRegister1(), 0x02);
  // Later writes end normally but change nothing.
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x10, 0x34), Result::Ok);
  EXPECT_EQ(rig.protocol.WriteDataByte(0x05, 0x56), Result::Ok);
  EXPECT_EQ(rig.protocol.WriteInitRegister1(0x00), Result::Ok);
  EXPECT_EQ(rig.chip.Code(0x10), 0x12);
  EXPECT_EQ(rig.chip.Data(0x05), 0xFF);
  EXPECT_EQ(rig.chip.InitRegister1(), 0x02);
  EXPECT_TRUE(rig.ui.Messages().empty());
}

TEST(VirtualAceChipTest, ReadProtectionHidesMemoryButNotInitRegister1) {
  ChipRig rig;
  rig.chip.SetCode(0x10, 0x12);
  rig.chip.SetData(0x10, 0x34);
  rig.power.EnterProgrammingMode();
  rig.protocol.ReadCodeByte(0x10);
  EXPECT_EQ(rig.protocol.ReadCodeByte(0x10), 0x12);
  EXPECT_EQ(rig.protocol.WriteInitRegister1(0x01), Result::Ok);
  rig.protocol.ReadCodeByte(0x10);
  EXPECT_EQ(rig.protocol.ReadDataByte(0x10), 0x00);
  EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x00);
  EXPECT_EQ(rig.protocol.ReadInitRegister1(), 0x01);
  // Writes still work under read protection alone.
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x11, 0x77), Result::Ok);
  EXPECT_EQ(rig.chip.Code(0x11), 0x77);
}

TEST(VirtualAceChipTest, CellsOutsideTheDeviceReadBlankAndIgnoreWrites) {
  ChipRig rig;  // code [0, 0x100), data [0, 0x40)
  rig.power.EnterProgrammingMode();
  EXPECT_EQ(rig.protocol.WriteCodeByte(0x0100, 0x00), Result::Ok);
  EXPECT_EQ(rig.protocol.WriteDataByte(0x0040, 0x00), Result::Ok);
  EXPECT_EQ(rig.chip.Code(0x0100), 0xFF);
  EXPECT_EQ(rig.chip.Data(0x0040), 0xFF);
  rig.protocol.ReadDataByte(0x0040);
  EXPECT_EQ(rig.protocol.ReadDataByte(0x0040), 0xFF);
}

// Drives the chip's lines directly, without the host protocol.
struct LineDriver {
  sim::VirtualAceChip chip{MakeDevice(8)};
  sim::SocketLines lines;
  std::uint64_t now = 0;

  void Apply() { chip.OnLines(lines, now += 85); }
  void PowerIntoProgrammingMode() {
    lines.operatingCode = 100;
    lines.programmingCode = 120;
    lines.power = true;
    lines.load = true;
    lines.pins = 0x80;
    Apply();
    lines.entryPulse = true;
    Apply();
    lines.entryPulse = false;
    Apply();
  }
  void Clock(bool data) {
    lines.pins = static_cast<std::uint8_t>(data ? 0x81 : 0x80);
    Apply();
    lines.pins = static_cast<std::uint8_t>(lines.pins | 0x40);
    Apply();
    lines.pins = static_cast<std::uint8_t>(lines.pins & ~0x40);
    Apply();
  }
  void SetLoad(bool high) {
    lines.load = high;
    Apply();
  }
};

TEST(VirtualAceChipTest, RecordsCommandsOfTheWrongLengthAndUnknownCodes) {
  LineDriver driver;
  driver.PowerIntoProgrammingMode();
  ASSERT_TRUE(driver.chip.InProgrammingMode());
  for (int i = 0; i < 31; ++i) driver.Clock(true);
  driver.SetLoad(false);
  ASSERT_EQ(driver.chip.Violations().size(), 1u);
  EXPECT_TRUE(driver.chip.Commands().empty());

  driver.SetLoad(true);
  for (int i = 0; i < 32; ++i) driver.Clock(i == 0);  // 0x80000000
  driver.SetLoad(false);
  driver.Clock(false);
  driver.Clock(false);
  EXPECT_EQ(driver.chip.Commands(), std::vector<std::uint32_t>{0x80000000u});
  EXPECT_EQ(driver.chip.Violations().size(), 2u);
  driver.Clock(false);
  EXPECT_EQ(driver.chip.Violations().size(), 3u);
}

TEST(VirtualAceChipTest, SerialOutPullUpMustStandWhenACommandEnds) {
  LineDriver driver;
  driver.PowerIntoProgrammingMode();
  ASSERT_TRUE(driver.chip.Violations().empty()) << "0x80 is the DIP8 pull-up";
  for (int i = 0; i < 32; ++i) driver.Clock(false);
  driver.lines.pins = 0x00;  // the pull-up taken away before the ending
  driver.Apply();
  driver.SetLoad(false);
  EXPECT_EQ(driver.chip.Violations(), std::vector<std::string>{"register 10 pull-ups 0x00 do not fit a DIP8 chip"});
}

TEST(VirtualAceChipTest, SerialOutFollowsTheShiftAndEndingPhases) {
  LineDriver driver;
  driver.chip.SetData(0x20, 0x81);
  driver.chip.SetProgramMicros(1000);
  driver.PowerIntoProgrammingMode();
  const auto command = [&](std::uint32_t word) {
    std::uint32_t samples = 0;
    for (std::uint32_t mask = 0x80000000u; mask != 0; mask >>= 1) {
      if (driver.chip.PulledLow(driver.now) == 0) samples |= mask;
      driver.Clock((word & mask) != 0);
    }
    return samples;
  };
  command(0x21002000u);  // read data 0x20
  driver.SetLoad(false);
  EXPECT_EQ(driver.chip.PulledLow(driver.now), 0);  // latched: released
  driver.Clock(false);
  EXPECT_EQ(driver.chip.PulledLow(driver.now), 0x80);  // first clock: low
  driver.Clock(false);
  EXPECT_EQ(driver.chip.PulledLow(driver.now), 0);  // read executed
  driver.SetLoad(true);

  // The next command's output word carries the byte read.
  EXPECT_EQ(command(0x10001234u), 0x00000081u);
  driver.SetLoad(false);
  driver.Clock(false);
  driver.Clock(false);
  EXPECT_EQ(driver.chip.PulledLow(driver.now), 0x80);  // programming
  EXPECT_EQ(driver.chip.PulledLow(driver.now + 900), 0x80);  // started one step ago
  EXPECT_EQ(driver.chip.PulledLow(driver.now + 1000), 0);
  driver.now += 1000;
  driver.SetLoad(true);
  EXPECT_EQ(driver.chip.Code(0x12), 0x34);
  EXPECT_TRUE(driver.chip.Violations().empty());
}

TEST(ChipContentsTest, RoundTripsThroughTextAndFiles) {
  sim::ChipContents contents;
  contents.code[0x0000] = 0x00;
  contents.code[0xFFFF] = 0x5A;
  contents.data[0x0123] = 0xA5;
  contents.initRegister1 = 0x41;
  const std::string text = sim::FormatContents(contents);
  EXPECT_EQ(text,
            "ACE-CHIP 1\nINITREG1 41\n"
            "C 0000 00FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\n"
            "C FFF0 FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF5A\n"
            "D 0120 FFFFFFA5FFFFFFFFFFFFFFFFFFFFFFFF\n");
  sim::ChipContents parsed;
  ASSERT_TRUE(sim::ParseContents(text, parsed));
  EXPECT_EQ(parsed, contents);

  TempDir dir;
  sim::VirtualAceChip chip(MakeDevice());
  chip.SetCode(0x10, 0x99);
  chip.SetInitRegister1(0x02);
  ASSERT_TRUE(chip.SaveTo(dir.File("chip.txt")));
  sim::VirtualAceChip again(MakeDevice());
  ASSERT_TRUE(again.LoadFrom(dir.File("chip.txt")));
  EXPECT_EQ(again.Contents(), chip.Contents());
  EXPECT_FALSE(again.LoadFrom(dir.File("missing.txt")));
  EXPECT_FALSE(chip.SaveTo(dir.File("no/such/dir/chip.txt")));
}

TEST(ChipContentsTest, RejectsMalformedTextAndKeepsTheContents) {
  sim::ChipContents contents;
  contents.code[5] = 0x05;
  const sim::ChipContents before = contents;
  const char* bad[] = {
      "",
      "ACE-CHIP 2\n",
      "ACE-CHIP 1\nINITREG1 4\n",
      "ACE-CHIP 1\nINITREG1 4G\n",
      "ACE-CHIP 1\nC 0000 00\n",
      "ACE-CHIP 1\nC FFF8 00112233445566778899AABBCCDDEEFF\n",  // runs past 0xFFFF
      "ACE-CHIP 1\nX 0000 00112233445566778899AABBCCDDEEFF\n",
      "ACE-CHIP 1\nD 0000 00112233445566778899AABBCCDDEEF\n",
      "ACE-CHIP 1\nC 0000 00112233445566778899AABBCCDDEEFF\nC 0010 zz\n",
  };
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(sim::ParseContents(text, contents));
    EXPECT_EQ(contents, before);
  }
  ASSERT_TRUE(sim::ParseContents("ACE-CHIP 1\r\n\r\nd 0000 x\n", contents) == false);
  ASSERT_TRUE(sim::ParseContents("ACE-CHIP 1\r\n\r\nD 0000 0011223344556677889900aabbccddee\r\n", contents));
  EXPECT_EQ(contents.data[0x0F], 0xEE);
  EXPECT_EQ(contents.code[5], 0xFF);  // rows not listed are blank
}

// A contents file is known by its first line; everything else that exists
// is another file, which the simulator must never replace.
TEST(ChipContentsTest, AContentsFileIsToldByItsFirstLine) {
  TempDir dir;
  const auto kind = [&](const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir.File(name), bytes);
    return sim::InspectContentsFile(dir.File(name));
  };
  using Kind = sim::ContentsFileKind;
  EXPECT_EQ(sim::InspectContentsFile(dir.File("none.sim")), Kind::Absent);
  EXPECT_EQ(kind("empty.sim", ""), Kind::Absent);
  EXPECT_EQ(kind("chip.sim", sim::FormatContents(sim::ChipContents{})), Kind::Contents);
  EXPECT_EQ(kind("crlf.sim", "ACE-CHIP 1\r\nINITREG1 00\r\n"), Kind::Contents);
  EXPECT_EQ(kind("bare.sim", "ACE-CHIP 1"), Kind::Contents);
  // A damaged body is still the simulator's own file.
  EXPECT_EQ(kind("damaged.sim", "ACE-CHIP 1\nC zz\n"), Kind::Contents);
  EXPECT_EQ(kind("fw.hex", ":0300300002337A1E\n:00000001FF\n"), Kind::Foreign);
  EXPECT_EQ(kind("next.sim", "ACE-CHIP 10\n"), Kind::Foreign);
  EXPECT_EQ(kind("spaced.sim", " ACE-CHIP 1\n"), Kind::Foreign);
  EXPECT_EQ(kind("fw.bin", std::string("\0\1\2", 3)), Kind::Foreign);
  EXPECT_EQ(sim::InspectContentsFile(dir.Path().string()), Kind::Foreign);
}

}  // namespace
}  // namespace ferolith::testing
