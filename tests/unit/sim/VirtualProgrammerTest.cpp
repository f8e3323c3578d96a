#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/PacedProgrammer.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/ManualClock.h"

namespace ferolith::sim {
namespace {

constexpr std::uint16_t kBase = 0x278;
constexpr std::uint16_t kStatus = kBase + 1;
constexpr std::uint16_t kControl = kBase + 2;

// Drives the port by hand the way a correct host does.
void Put(PortIo& p, int reg, std::uint8_t value) {
  p.Write(kBase, value);
  p.Write(kControl, static_cast<std::uint8_t>(reg));
  while ((p.Read(kStatus) & 0x80) == 0) {
  }
  p.Write(kControl, static_cast<std::uint8_t>(reg | 1));
  while ((p.Read(kStatus) & 0x80) != 0) {
  }
}

// Pulls chosen input lines low and records what it was told.
class PullingDevice final : public SocketDevice {
 public:
  void OnLines(const SocketLines& lines, std::uint64_t nowMicros) override {
    seen.push_back(lines);
    times.push_back(nowMicros);
  }
  std::uint8_t PulledLow(std::uint64_t) const override { return pulled; }

  std::uint8_t pulled = 0;
  std::vector<SocketLines> seen;
  std::vector<std::uint64_t> times;
};

TEST(VirtualProgrammer, StatusPresentsTheInputHalfOfTheLastRegister4Or8Write) {
  VirtualProgrammer p(kBase);
  Put(p, 10, 0b1001'0110);
  Put(p, 4, 0);
  // Low half 0110: input bit 1 -> status bit 3, input bit 2 -> status bit 4.
  EXPECT_EQ(p.Read(kStatus), 0x18);
  Put(p, 8, 0);
  // High half 1001: input bit 4 -> status bit 6, input bit 7 -> status bit 5.
  EXPECT_EQ(p.Read(kStatus), 0x60);
  Put(p, 6, 0x10);  // other registers keep the half chosen
  EXPECT_EQ(p.Read(kStatus), 0x60);
  EXPECT_TRUE(p.Violations().empty());
}

TEST(VirtualProgrammer, LoopBackIsWiredAndWithTheSocketAndStuckLines) {
  VirtualProgrammer p(kBase);
  PullingDevice device;
  p.Plug(&device);
  Put(p, 10, 0xC1);
  EXPECT_EQ(p.InputLines(), 0xC1);
  device.pulled = 0x80;
  EXPECT_EQ(p.InputLines(), 0x41);
  p.SetStuckInputLines(0x01, 0x10);
  EXPECT_EQ(p.InputLines(), 0x50);
}

TEST(VirtualProgrammer, DacShiftsOnClockAndLatchesOnLoad) {
  VirtualProgrammer p(kBase);
  PullingDevice device;
  p.Plug(&device);
  const std::uint16_t word = 0xA53C;
  for (int bit = 15; bit >= 0; --bit) {
    const auto data = static_cast<std::uint8_t>(((word >> bit) & 1u) << 1);
    Put(p, 4, data);
    Put(p, 4, static_cast<std::uint8_t>(data | 1));
    Put(p, 4, static_cast<std::uint8_t>(data | 1));  // a held clock shifts nothing
    Put(p, 4, data);
  }
  EXPECT_EQ(p.DacShiftRegister(), word);
  EXPECT_EQ(p.Lines().operatingCode, 0) << "nothing latched before the load edge";
  Put(p, 4, 0x04);
  EXPECT_EQ(p.Lines().operatingCode, 0xA5);
  EXPECT_EQ(p.Lines().programmingCode, 0x3C);
  EXPECT_EQ(p.Lines().OperatingMillivolts(), 0xA5u * 50u);
  EXPECT_EQ(p.Lines().ProgrammingMillivolts(), 0x3Cu * 100u);

  Put(p, 0, 0x20);
  Put(p, 6, 0x10);
  Put(p, 8, 0x08);
  EXPECT_TRUE(device.seen.back().power && device.seen.back().load && device.seen.back().entryPulse);
  EXPECT_EQ(device.seen.back().operatingCode, 0xA5);
}

TEST(VirtualProgrammer, EveryRegisterWriteAdvancesTheVirtualClock) {
  VirtualProgrammer p(kBase);
  PullingDevice device;
  p.Plug(&device);
  Put(p, 10, 1);
  Put(p, 10, 0);
  p.SetMicrosPerWrite(100);
  Put(p, 2, 0);
  EXPECT_EQ(p.NowMicros(), 270u);
  EXPECT_EQ(p.RegisterWrites(), 3u);
  EXPECT_EQ(device.times, (std::vector<std::uint64_t>{0, 85, 170, 270}));
  // Port accesses that take no register do not count.
  p.Write(kBase, 0x33);
  p.Read(kStatus);
  EXPECT_EQ(p.NowMicros(), 270u);
}

TEST(VirtualProgrammer, RefusesWhatTheHardwareWouldNotTake) {
  VirtualProgrammer p(kBase);
  p.SetAnswerAfterReads(2);
  p.Write(kBase, 0x10);
  p.Write(kControl, 0x06);
  p.Write(kControl, 0x07);  // strobe low->high without any ready read: fine at rest
  EXPECT_TRUE(p.Violations().empty());
  EXPECT_EQ(p.Register(6), 0x10);
  p.Read(kStatus);
  p.Read(kStatus);  // taken
  p.Write(kControl, 0x06);
  p.Write(kControl, 0x07);  // the programmer has not answered ready yet
  EXPECT_EQ(p.Violations(), std::vector<std::string>{"strobe raised before the programmer answered ready"});
  EXPECT_EQ(p.RegisterWrites(), 1u) << "the early strobe latches nothing";

  VirtualProgrammer q(kBase);
  Put(q, 12, 0x81);
  Put(q, 2, 0x01);
  q.Write(kStatus, 0);
  q.Write(kControl, 0x20);
  q.Read(kBase + 3);
  q.Write(kBase - 1, 0);
  EXPECT_EQ(q.Violations().size(), 6u);
}

// Loads the voltage codes into the DAC; the last write raises DAC load.
void LoadCodes(VirtualProgrammer& p, std::uint8_t operating, std::uint8_t programming) {
  const unsigned word = (static_cast<unsigned>(operating) << 8) | programming;
  for (int bit = 15; bit >= 0; --bit) {
    const auto data = static_cast<std::uint8_t>(((word >> bit) & 1u) << 1);
    Put(p, 4, data);
    Put(p, 4, static_cast<std::uint8_t>(data | 1));
  }
  Put(p, 4, 0x04);
}

// `writes` register writes of which the last one is `reg` <- `value`.
void PutAfter(VirtualProgrammer& p, int writes, int reg, std::uint8_t value) {
  for (int i = 1; i < writes; ++i) Put(p, 2, 0);
  Put(p, reg, value);
}

TEST(VirtualProgrammer, PowerSequenceTimesAreCountedInVirtualTime) {
  // At 1 ms a write: 200 writes after the DAC load for the power bit, 400
  // after the power bit for the entry pulse (with LOAD high), 1 for the
  // pulse itself. One write less is too early.
  for (const int shorter : {0, 1}) {
    SCOPED_TRACE(shorter);
    VirtualProgrammer p(kBase);
    p.SetMicrosPerWrite(1000);
    LoadCodes(p, 100, 120);
    PutAfter(p, 200 - shorter, 0, 0x20);
    Put(p, 6, 0x10);
    PutAfter(p, 399 - shorter, 8, 0x08);
    Put(p, 8, 0x00);
    if (shorter == 0) {
      EXPECT_EQ(p.Violations(), std::vector<std::string>{});
    } else {
      EXPECT_EQ(p.Violations(),
                (std::vector<std::string>{
                    "power switched on 199000 us after the voltage codes were loaded (at least 200000 us)",
                    "entry pulse 399000 us after the power was switched on (at least 400000 us)"}));
    }
  }
  VirtualProgrammer q(kBase);
  q.SetMicrosPerWrite(999);
  LoadCodes(q, 100, 120);
  PutAfter(q, 300, 0, 0x20);
  Put(q, 6, 0x10);
  PutAfter(q, 500, 8, 0x08);
  Put(q, 8, 0x00);
  EXPECT_EQ(q.Violations(), std::vector<std::string>{"entry pulse of 999 us (at least 1000 us)"});
}

TEST(VirtualProgrammer, AbsentOrSwitchedOffItReadsAsTheChosenPortModel) {
  const std::pair<AbsentStatus, std::uint8_t> models[] = {
      {AbsentStatus::High, 0xFF}, {AbsentStatus::BusyInverted, 0x7F}, {AbsentStatus::Low, 0x80}};
  for (const auto& [model, status] : models) {
    SCOPED_TRACE(static_cast<int>(status));
    VirtualProgrammer absent(kBase);
    absent.SetAbsentStatus(model);
    absent.SetAbsent(true);
    absent.Write(kBase, 0x5A);
    absent.Write(kControl, 0x0A);
    EXPECT_EQ(absent.Read(kStatus), status);
    absent.Write(kControl, 0x0B);
    EXPECT_EQ(absent.Read(kStatus), status);
    EXPECT_EQ(absent.Read(kBase), 0x5A) << "the port's own data register still reads back";
    EXPECT_EQ(absent.RegisterWrites(), 0u);
    EXPECT_EQ(absent.StatusReads(), 2u);

    VirtualProgrammer off(kBase);
    off.SetAbsentStatus(model);
    off.SwitchOffAfterWrites(1);
    off.Write(kBase, 0x01);
    off.Write(kControl, 0x0A);
    off.Write(kControl, 0x0B);  // taken, and then switched off
    EXPECT_FALSE(off.SwitchedOn());
    EXPECT_EQ(off.Read(kStatus), status);
  }
  EXPECT_EQ(AbsentStatusNamed("busy-inverted"), AbsentStatus::BusyInverted);
  EXPECT_EQ(AbsentStatusNamed("low"), AbsentStatus::Low);
  EXPECT_EQ(AbsentStatusNamed("High"), std::nullopt);
}

TEST(VirtualProgrammer, SwitchedOffProgrammerDropsPowerAndStopsAnswering) {
  VirtualProgrammer p(kBase);
  PullingDevice device;
  p.Plug(&device);
  Put(p, 0, 0x20);
  p.SwitchOffAfterWrites(1);
  p.Write(kBase, 0x80);
  p.Write(kControl, 10);
  EXPECT_NE(p.Read(kStatus) & 0x80, 0);
  p.Write(kControl, 11);
  EXPECT_FALSE(p.SwitchedOn());
  EXPECT_FALSE(device.seen.back().power);
  EXPECT_EQ(p.Register(0), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(p.Read(kStatus), 0xFF);
  p.Write(kControl, 10);
  p.Write(kControl, 11);
  EXPECT_EQ(p.RegisterWrites(), 2u) << "an unpowered programmer takes nothing";
}

TEST(PacedProgrammer, TheWallClockFollowsTheVirtualOneAtTheChosenSpeed) {
  using namespace std::chrono_literals;
  for (const double factor : {1.0, 10.0}) {
    SCOPED_TRACE(factor);
    Settings settings;
    testing::ManualClock clock;
    auto owned = std::make_unique<VirtualProgrammer>(kBase);
    VirtualProgrammer& programmer = *owned;
    PacedProgrammer paced(std::move(owned), settings, SimulationSpeed{factor}, clock);
    const std::chrono::nanoseconds start = clock.Now();
    for (int i = 0; i < 1000; ++i) Put(paced, 2, 0);
    // 1000 writes of TimeBaseKorr 85 us: 85 ms of virtual time, 85 ms /
    // factor on the wall, short of it by less than one sleep's threshold.
    EXPECT_EQ(programmer.NowMicros(), 85000u);
    const auto wall = std::chrono::duration<double, std::milli>(clock.Now() - start).count();
    EXPECT_LE(wall, 85.0 / factor);
    EXPECT_GE(wall, 85.0 / factor - 1.0);
    // A sleep only when a millisecond ahead, not one per write.
    EXPECT_LE(clock.Sleeps(), static_cast<int>(85.0 / factor) + 1);

    // TimeBaseKorr is taken at every write.
    settings.TimeBaseKorr = 100;
    Put(paced, 2, 0);
    EXPECT_EQ(programmer.NowMicros(), 85100u);

    // A host that fell behind (a box waited ten seconds for the user) goes
    // on at the pace from there instead of racing to catch up.
    clock.Advance(10s);
    const std::chrono::nanoseconds afterBox = clock.Now();
    for (int i = 0; i < 100; ++i) Put(paced, 2, 0);
    EXPECT_GE(clock.Now() - afterBox, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::duration<double, std::milli>(10.0 / factor - 1.0)));
    EXPECT_TRUE(programmer.Violations().empty());
  }
}

TEST(PacedProgrammer, SpeedsAreRealFastOrAPositiveFactor) {
  EXPECT_EQ(ParseSimulationSpeed("real")->factor, 1.0);
  EXPECT_EQ(ParseSimulationSpeed("fast")->factor, 0.0);
  EXPECT_FALSE(ParseSimulationSpeed("fast")->Paced());
  EXPECT_EQ(ParseSimulationSpeed("10")->factor, 10.0);
  EXPECT_EQ(ParseSimulationSpeed("0.5")->factor, 0.5);
  for (const char* bad : {"", "0", "0.0", "-1", "1e3", "abc", "10x", ".", "1000001", "Real"}) {
    EXPECT_FALSE(ParseSimulationSpeed(bad)) << bad;
  }
}

TEST(VirtualProgrammer, TraceIsOffUntilEnabled) {
  VirtualProgrammer p(kBase);
  Put(p, 10, 1);
  EXPECT_TRUE(p.Trace().empty());
  EXPECT_TRUE(p.RegisterLog().empty());
  p.EnableTrace(true);
  Put(p, 10, 2);
  EXPECT_EQ(p.RegisterLog(), (std::vector<RegisterWrite>{{10, 2}}));
  EXPECT_EQ(p.Trace().front(), (PortAccess{PortAccess::Kind::Write, kBase, 2}));
}

}  // namespace
}  // namespace ferolith::sim
