#include <gtest/gtest.h>

#include <chrono>

#include "link/PowerSequencer.h"
#include "tests/support/ManualClock.h"
#include "tests/unit/link/SimulatedLink.h"

namespace ferolith {
namespace {

using sim::RegisterWrite;
using testing::ScriptedUi;
using testing::SimulatedLink;

DeviceEntry Device(std::uint8_t package) {
  DeviceEntry device;
  device.Name = "ACE1101";
  device.Package = package;
  device.OperVoltageCode = 5000 / 50;
  device.ProgVoltageCode = 12000 / 100;
  return device;
}

// Remembers the socket lines at each rising entry pulse.
class EntryWatcher final : public sim::SocketDevice {
 public:
  void OnLines(const sim::SocketLines& lines, std::uint64_t) override {
    if (lines.entryPulse && !pulse_) atEntry.push_back(lines);
    pulse_ = lines.entryPulse;
  }
  std::uint8_t PulledLow(std::uint64_t) const override { return 0; }
  std::vector<sim::SocketLines> atEntry;

 private:
  bool pulse_ = false;
};

// Expected register-4 traffic of one voltage-code transfer starting from
// shadow `base` (bits other than the DAC bits).
std::vector<RegisterWrite> Transfer(std::uint8_t first, std::uint8_t second, std::uint8_t base = 0) {
  std::vector<RegisterWrite> writes;
  const auto put = [&](unsigned bits) { writes.push_back({4, static_cast<std::uint8_t>(base | bits)}); };
  const unsigned word = (static_cast<unsigned>(first) << 8) | second;
  for (int bit = 15; bit >= 0; --bit) {
    const unsigned data = ((word >> bit) & 1u) ? 0x02u : 0x00u;
    put(data);
    put(data | 0x01u);
    put(data);
  }
  const unsigned lastData = (word & 1u) ? 0x02u : 0x00u;
  put(lastData | 0x04u);
  put(lastData);
  put(0);
  return writes;
}

std::vector<RegisterWrite> Delay(std::uint32_t writes) {
  std::vector<RegisterWrite> out(writes, RegisterWrite{4, 0x20});
  out.push_back({4, 0x00});
  return out;
}

void Append(std::vector<RegisterWrite>& to, const std::vector<RegisterWrite>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

// The DAC words (high: first code, low: second) at every load of a log.
std::vector<std::uint16_t> LoadedWords(const std::vector<RegisterWrite>& log) {
  std::vector<std::uint16_t> words;
  std::uint16_t shift = 0;
  std::uint8_t before = 0;
  for (const RegisterWrite& write : log) {
    if (write.reg != 4) continue;
    if (!(before & 0x01) && (write.value & 0x01)) {
      shift = static_cast<std::uint16_t>((static_cast<unsigned>(shift) << 1) | ((write.value >> 1) & 1u));
    }
    if (!(before & 0x04) && (write.value & 0x04)) words.push_back(shift);
    before = write.value;
  }
  return words;
}

TEST(PowerSequencer, LoadVoltageCodesShiftsBothSlotsMostSignificantBitFirst) {
  SimulatedLink s;
  const DeviceEntry device = Device(8);
  PowerSequencer power(s.link, s.ui, device);
  EXPECT_EQ(power.LoadVoltageCodes(), Result::Ok);
  EXPECT_EQ(s.programmer.RegisterLog(), Transfer(0, 0));
  EXPECT_EQ(s.programmer.RegisterLog().size(), 51u);
  EXPECT_TRUE(s.programmer.Violations().empty());
}

TEST(PowerSequencer, EnterProgrammingModeRunsThePowerUpSequence) {
  for (const std::uint8_t package : {std::uint8_t{8}, std::uint8_t{14}}) {
    SimulatedLink s;
    EntryWatcher watcher;
    s.programmer.Plug(&watcher);
    ASSERT_EQ(s.link.DetectProgrammer(), Result::Ok);
    s.programmer.ClearTrace();
    const DeviceEntry device = Device(package);
    PowerSequencer power(s.link, s.ui, device);

    EXPECT_EQ(power.EnterProgrammingMode(), Result::Ok);
    const std::uint8_t serialOut = package == 8 ? 0x80 : 0x40;
    std::vector<RegisterWrite> expected = {{10, 0}, {6, 0}, {2, 0}, {0, 0}};
    Append(expected, Transfer(0x64, 0x00));
    Append(expected, Transfer(0x64, 0x78));
    Append(expected, Delay(2352));
    expected.push_back({0, 0x20});
    Append(expected, Delay(4705));
    expected.push_back({10, serialOut});
    expected.push_back({6, 0x10});
    Append(expected, Delay(11));
    expected.push_back({8, 0x08});
    Append(expected, Delay(11));
    expected.push_back({8, 0x00});
    Append(expected, Delay(11));
    Append(expected, Transfer(0x64, 0x00));
    EXPECT_EQ(s.programmer.RegisterLog(), expected) << int{package};
    EXPECT_EQ(LoadedWords(s.programmer.RegisterLog()), (std::vector<std::uint16_t>{0x6400, 0x6478, 0x6400}));

    // The chip saw power, 5 V and 12 V when the entry pulse rose.
    ASSERT_EQ(watcher.atEntry.size(), 1u);
    EXPECT_TRUE(watcher.atEntry[0].power);
    EXPECT_EQ(watcher.atEntry[0].OperatingMillivolts(), 5000u);
    EXPECT_EQ(watcher.atEntry[0].ProgrammingMillivolts(), 12000u);
    // Afterwards: powered at 5 V, no programming voltage, LOAD high.
    const sim::SocketLines& lines = s.programmer.Lines();
    EXPECT_TRUE(lines.power && lines.load && !lines.entryPulse);
    EXPECT_EQ(lines.operatingCode, 0x64);
    EXPECT_EQ(lines.programmingCode, 0x00);
    EXPECT_EQ(lines.pins, serialOut);
    EXPECT_EQ(power.FirstSlot(), 0x64);
    EXPECT_EQ(power.SecondSlot(), 0x00);
    EXPECT_EQ(s.ui.Events().size(), 0u);
    EXPECT_TRUE(s.programmer.Violations().empty());
  }
}

TEST(PowerSequencer, PowerUpAndDownPumpThroughTheirDelays) {
  using std::chrono::microseconds;
  SimulatedLink s;
  testing::ManualClock clock;
  testing::SlowPort slow(s.programmer, clock, microseconds(17));  // 85 us a register write
  s.link.UsePort(slow);
  PumpPacer pacer(s.ui, clock);
  s.link.UsePacer(pacer);
  const PumpPacer::Armed armed(pacer);
  const DeviceEntry device = Device(14);
  PowerSequencer power(s.link, s.ui, device);

  testing::PumpTimes up(clock);
  s.ui.OnPump([&up](int pump) { up(pump); });
  power.EnterProgrammingMode();
  EXPECT_GE(up.at.size(), 600u / 20u - 1u);  // the 200 ms and 400 ms waits
  EXPECT_LE(up.LongestSilence(), PumpPacer::kMaxGap + microseconds(85));

  testing::PumpTimes down(clock);
  s.ui.OnPump([&down](int pump) { down(pump); });
  power.LeaveProgrammingMode();
  EXPECT_GE(down.at.size(), 300u / 20u - 1u);
  EXPECT_LE(down.LongestSilence(), PumpPacer::kMaxGap + microseconds(85));
  EXPECT_FALSE(s.programmer.Lines().power);
}

TEST(PowerSequencer, LeaveAndSafeStateSwitchEverythingOff) {
  SimulatedLink s;
  const DeviceEntry device = Device(8);
  PowerSequencer power(s.link, s.ui, device);
  power.EnterProgrammingMode();
  s.link.Raise(Lines::SerialData);  // as a command whose last bit was 1 leaves it
  s.programmer.ClearTrace();

  EXPECT_EQ(power.LeaveProgrammingMode(), Result::Ok);
  std::vector<RegisterWrite> expected = {{6, 0}, {2, 0}, {0, 0x20}, {10, 0}, {4, 0}};
  Append(expected, Transfer(0x64, 0x00));
  expected.push_back({8, 0});
  Append(expected, Transfer(0x00, 0x00));
  expected.push_back({0, 0});
  expected.push_back({8, 0});
  Append(expected, Delay(3529));
  EXPECT_EQ(s.programmer.RegisterLog(), expected);
  for (const int reg : {0, 2, 4, 6, 8, 10}) EXPECT_EQ(s.programmer.Register(reg), 0) << reg;
  EXPECT_FALSE(s.programmer.Lines().power);
  EXPECT_EQ(s.programmer.Lines().operatingCode, 0);
  // Registers 6 and 10 were cleared by constant writes: their shadows keep
  // their bits, and the next power-up writes 0 and then the shadow again.
  EXPECT_EQ(s.link.Shadow().reg6, 0x10);
  EXPECT_EQ(s.link.Shadow().reg10, 0x81);
  s.programmer.ClearTrace();
  power.EnterProgrammingMode();
  EXPECT_EQ(s.ValuesOf(6), (std::vector<std::uint8_t>{0x00, 0x10}));
  // Register 10 starts from its cleared shadow: the data line is low at entry.
  EXPECT_EQ(s.ValuesOf(10), (std::vector<std::uint8_t>{0x00, 0x80}));

  s.programmer.ClearTrace();
  power.SafeState();
  expected = {{4, 0}, {0, 0}, {2, 0}, {6, 0}, {10, 0}};
  Append(expected, Transfer(0x00, 0x00));
  Append(expected, Transfer(0x00, 0x00));
  Append(expected, {{0, 0}, {8, 0}, {8, 0}});
  EXPECT_EQ(s.programmer.RegisterLog(), expected);
  EXPECT_EQ(power.FirstSlot(), 0);
  EXPECT_EQ(s.link.Shadow().reg0, 0) << "the power bit goes in the last writes";
  EXPECT_TRUE(s.programmer.Violations().empty());
}

TEST(PowerSequencer, ProgrammerSwitchedOffDuringPowerUpGivesOneMessagePerRemainingWrite) {
  SimulatedLink s;
  const DeviceEntry device = Device(8);
  PowerSequencer power(s.link, s.ui, device);
  // Off after taking its 60th byte, inside the second transfer: the host's
  // 60th write never sees the handshake end, so 59 writes succeed.
  s.programmer.SwitchOffAfterWrites(60);
  EXPECT_EQ(power.EnterProgrammingMode(), Result::HandshakeTimeout);
  // 4 single writes and 2 transfers of 51; then 5 delays that each fail at
  // their first write, 5 single writes and the last transfer.
  constexpr int kAttempts = 4 + 51 + 51 + 5 + 5 + 51;
  EXPECT_EQ(s.TimeoutMessages(), kAttempts - 59);
  EXPECT_EQ(s.ui.Events().size(), static_cast<std::size_t>(kAttempts - 59));
  // Each failed write saw "ready" at once (the lines float high) and then ran
  // its full, bounded wait; each good write took two reads.
  EXPECT_EQ(s.StatusReads(), 59u * 2u + std::size_t{kAttempts - 59} * (1u + s.settings.TimeOut));
}

TEST(PowerSequencer, SocketInstructionsTextAndAnswer) {
  SimulatedLink s;
  DeviceEntry device = Device(8);
  PowerSequencer power(s.link, s.ui, device);
  s.ui.AnswerBoxes({Answer::Ok, Answer::Cancel});
  EXPECT_EQ(power.ShowSocketInstructions("#### Brennen ####\n"), Answer::Ok);
  device.Name.clear();
  EXPECT_EQ(power.ShowSocketInstructions("#### Prüfen ####\n"), Answer::Cancel);
  EXPECT_EQ(s.ui.Texts(ScriptedUi::Kind::OkCancel),
            (std::vector<std::string>{
                " #### Brennen ####\n\nACE1101\n\n\nACE-Adapter ** unten ** in Sockel 1 einsetzen.\n"
                "ACE-Chip ** oben ** im Adapter einsetzen.\n",
                " #### Prüfen ####\n\n\n\n\nACE-Adapter ** unten ** in Sockel 1 einsetzen.\n"
                "ACE-Chip ** oben ** im Adapter einsetzen.\n"}));
  EXPECT_TRUE(s.programmer.Trace().empty()) << "the box touches no register";
}

}  // namespace
}  // namespace ferolith
