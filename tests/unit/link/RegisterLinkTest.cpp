#include <gtest/gtest.h>

#include <chrono>
#include <deque>

#include "link/PortProbe.h"
#include "tests/support/ManualClock.h"
#include "tests/unit/link/SimulatedLink.h"

namespace ferolith {
namespace {

using sim::PortAccess;
using testing::ScriptedUi;
using testing::SimulatedLink;
using Kind = PortAccess::Kind;

constexpr const char* kTimeoutText =
    "\nTimeout-Fehler bei Datenübertragung !!\n\nMögliche Fehler:\n\nBrenner nicht eingeschaltet.\n"
    "Brenner an der falschen Schnittstelle oder\ngar nicht angeschlossen.\nFalsche Port-Adresse in "
    "den PREFS.\nKabel defekt oder viel zu lang.\nEin Druckerumschalter falsch geschaltet ?\n"
    "Baustein im Sockel vergessen !!";

PortAccess W(std::uint16_t address, std::uint8_t value) { return {Kind::Write, address, value}; }
PortAccess R(std::uint16_t address, std::uint8_t value) { return {Kind::Read, address, value}; }

TEST(RegisterLink, WriteOfRegister10GivesTheHandshakeTraffic) {
  SimulatedLink s;
  EXPECT_EQ(s.link.WriteRegister(Reg::R10, 0x5A), Result::Ok);
  // Before the write the status shows ready and the low half of the loop-back
  // (0); after it the strobe is acknowledged and bits 3 and 5 carry 0xA.
  const std::vector<PortAccess> expected = {
      W(SimulatedLink::kBase, 0x5A), W(SimulatedLink::kControl, 0x0A), R(SimulatedLink::kStatus, 0x80),
      W(SimulatedLink::kControl, 0x0B), R(SimulatedLink::kStatus, 0x28)};
  EXPECT_EQ(s.programmer.Trace(), expected);
  EXPECT_EQ(s.link.ControlByte(), 0x0B);
  EXPECT_EQ(s.link.LastStatus(), 0x28);
  EXPECT_EQ(s.programmer.Register(10), 0x5A);
  EXPECT_EQ(s.link.Shadow().reg10, 0x00) << "a constant write leaves the shadow";
  EXPECT_TRUE(s.programmer.Violations().empty());

  // The next write puts its data out before it takes the strobe away.
  s.programmer.ClearTrace();
  s.link.WriteRegister(Reg::R2, 0);
  ASSERT_GE(s.programmer.Trace().size(), 2u);
  EXPECT_EQ(s.programmer.Trace()[0], W(SimulatedLink::kBase, 0x00));
  EXPECT_EQ(s.programmer.Trace()[1], W(SimulatedLink::kControl, 0x02));
}

TEST(RegisterLink, WaitFailsOnTheTimeOutThRead) {
  // TimeOut 1: the first read fails even though it shows "ready".
  SimulatedLink s;
  s.settings.TimeOut = 1;
  s.link.WriteRegister(Reg::R10, 0x11);
  EXPECT_EQ(s.link.WriteRegister(Reg::R10, 0x5A), Result::HandshakeTimeout);
  EXPECT_EQ(s.ui.Texts(ScriptedUi::Kind::Info), (std::vector<std::string>{kTimeoutText, kTimeoutText}));
  EXPECT_EQ(s.link.ControlByte(), 0x0A) << "the strobe stays low after the failed wait";
  EXPECT_EQ(s.link.LastStatus(), 0x00);
  EXPECT_EQ(s.programmer.Register(10), 0x00);

  // A handshake that answers on the third read: TimeOut 3 fails, 4 succeeds.
  for (const std::uint32_t timeOut : {3u, 4u}) {
    SimulatedLink slow;
    slow.programmer.SetAnswerAfterReads(3);
    slow.link.WriteRegister(Reg::R2, 0);  // leaves the strobe high
    slow.programmer.ClearTrace();
    slow.settings.TimeOut = timeOut;
    const ResultCode result = slow.link.WriteRegister(Reg::R6, 0x10);
    EXPECT_EQ(result, timeOut == 3 ? Result::HandshakeTimeout : Result::Ok) << timeOut;
    EXPECT_EQ(slow.StatusReads(), timeOut == 3 ? 3u : 6u);
    EXPECT_EQ(slow.TimeoutMessages(), timeOut == 3 ? 1 : 0);
    EXPECT_TRUE(slow.programmer.Violations().empty());
  }
}

// Answers status reads from a script; records writes.
class ScriptedPort final : public PortIo {
 public:
  explicit ScriptedPort(std::deque<std::uint8_t> statuses) : statuses_(std::move(statuses)) {}
  std::uint8_t Read(std::uint16_t) override {
    const std::uint8_t value = statuses_.front();
    if (statuses_.size() > 1) statuses_.pop_front();
    return value;
  }
  void Write(std::uint16_t, std::uint8_t) override {}

 private:
  std::deque<std::uint8_t> statuses_;
};

TEST(RegisterLink, ReadInputComposesTheStatusHalves) {
  Settings settings = SimulatedLink::MakeSettings();
  testing::ScriptedUi ui;
  // Each write: a "ready" read, then the "taken" read whose bits 3-6 count.
  // First write: S1 = bit 6 | bit 4 -> result bits 0 and 2.
  // Second write: S2 = bit 3 | bit 5 -> result bits 5 and 7.
  ScriptedPort port({0x80, 0x50, 0x80, 0x28});
  RegisterLink link(port, ui, settings);
  EXPECT_EQ(link.ReadInput(), 0xA5);
  EXPECT_EQ(ui.Count(ScriptedUi::Kind::Info), 0);

  // On the simulator every register-10 pattern comes back unchanged.
  SimulatedLink s;
  s.programmer.EnableTrace(false);
  for (unsigned pattern = 0; pattern < 256; ++pattern) {
    s.link.WriteRegister(Reg::R10, static_cast<std::uint8_t>(pattern));
    ASSERT_EQ(s.link.ReadInput(), pattern);
  }
}

TEST(RegisterLink, ReadInputAfterATimeoutUsesTheLastGoodStatus) {
  SimulatedLink s;
  s.link.WriteRegister(Reg::R10, 0x0F);  // last status: low half 0xF
  s.programmer.SetAbsent(true);
  EXPECT_EQ(s.link.ReadInput(), 0xFF) << "both halves from the write before the failure";
  EXPECT_EQ(s.TimeoutMessages(), 2);
}

TEST(RegisterLink, DelaysAndPulsesAreCountedInRegisterWrites) {
  SimulatedLink s;
  EXPECT_EQ(s.link.DelayMs(0), Result::Ok);
  EXPECT_EQ(s.ValuesOf(4), (std::vector<std::uint8_t>{0x20, 0x00}));

  s.programmer.ClearTrace();
  s.link.Shadow().reg4 = 0x03;  // DAC bits survive the timing bit
  EXPECT_EQ(s.link.DelayMs(1), Result::Ok);
  std::vector<std::uint8_t> expected(11, 0x23);
  expected.push_back(0x03);
  EXPECT_EQ(s.ValuesOf(4), expected);

  s.programmer.ClearTrace();
  EXPECT_EQ(s.link.PulseTimingBit(0), Result::Ok);
  EXPECT_TRUE(s.programmer.Trace().empty());
  EXPECT_EQ(s.link.PulseTimingBit(2), Result::Ok);
  EXPECT_EQ(s.ValuesOf(4), (std::vector<std::uint8_t>{0x23, 0x03, 0x23, 0x03}));

  EXPECT_EQ(s.link.AccessCount(50), 1u);
  EXPECT_EQ(s.link.AccessCount(200000), 2352u);
  EXPECT_EQ(s.link.AccessCount(300000), 3529u);
  EXPECT_EQ(s.link.AccessCount(400000), 4705u);
  s.settings.TimeBaseKorr = 100;
  EXPECT_EQ(s.link.AccessCount(1000), 10u);
}

TEST(RegisterLink, DelaysAndSlowHandshakesPumpByElapsedTimeWhileArmed) {
  using std::chrono::microseconds;
  SimulatedLink s;
  testing::ManualClock clock;
  // Five port accesses make a register write of 85 us, as on the real programmer.
  testing::SlowPort slow(s.programmer, clock, microseconds(17));
  s.link.UsePort(slow);
  PumpPacer pacer(s.ui, clock);
  s.link.UsePacer(pacer);

  // Not armed (start-up's search, the probe): time alone does not pump.
  EXPECT_EQ(s.link.DelayMs(100), Result::Ok);
  EXPECT_EQ(s.ui.Count(ScriptedUi::Kind::Pump), 0);

  const PumpPacer::Armed armed(pacer);
  testing::PumpTimes delay(clock);
  s.ui.OnPump([&delay](int pump) { delay(pump); });
  EXPECT_EQ(s.link.DelayMs(400), Result::Ok);
  EXPECT_GE(delay.at.size(), 400u / 20u - 1u);
  EXPECT_LE(delay.LongestSilence(), PumpPacer::kMaxGap + microseconds(85));

  // A programmer that keeps each edge of the handshake waiting 51 ms.
  s.programmer.SetAnswerAfterReads(3000);
  testing::PumpTimes handshake(clock);
  s.ui.OnPump([&handshake](int pump) { handshake(pump); });
  EXPECT_EQ(s.link.WriteRegister(Reg::R2, 0), Result::Ok);
  EXPECT_GE(handshake.at.size(), 4u);
  EXPECT_LE(handshake.LongestSilence(), PumpPacer::kMaxGap + microseconds(85));
  EXPECT_EQ(s.TimeoutMessages(), 0);
}

TEST(RegisterLink, DelayStopsAtTheFirstFailedWrite) {
  SimulatedLink s;
  s.programmer.SwitchOffAfterWrites(3);
  EXPECT_EQ(s.link.DelayMs(1), Result::DelayCutShort);
  EXPECT_EQ(s.TimeoutMessages(), 1);
  EXPECT_EQ(s.link.Shadow().reg4, Lines::Timing.bit) << "the timing bit stays set";
  EXPECT_EQ(s.programmer.RegisterWrites(), 3u);

  // Pulses go on regardless of failures.
  s.ui.Clear();
  EXPECT_EQ(s.link.PulseTimingBit(2), Result::Ok);
  EXPECT_EQ(s.TimeoutMessages(), 4);
}

TEST(RegisterLink, DetectionFindsTheProgrammerAndResetsTheShadows) {
  // A run cut short in programming mode left the chip powered at 5 V with
  // LOAD, the DIP8 pull-up, CLK and the data line set and the timing bit
  // held, register 2 not 0, and the port with the power byte on its data
  // register and the strobe high; the host's shadows hold their own leftovers.
  SimulatedLink s;
  sim::ProgrammerState left;
  left.registers = {0x20, 0x01, 0x22, 0x10, 0x00, 0xC1, 0x80, 0x80};
  left.operatingCode = 0x64;
  left.dataPort = 0x20;
  left.controlPort = 0x0B;
  s.programmer.Preset(left);
  ASSERT_TRUE(s.programmer.Lines().power);
  s.link.Shadow() = {0x20, 0x27, 0x10, 0x08, 0xC1};
  EXPECT_EQ(s.link.DetectProgrammer(), Result::Ok);
  EXPECT_EQ(s.ui.Events().size(), 0u);
  EXPECT_TRUE(s.programmer.Violations().empty());
  const RegisterShadow& shadow = s.link.Shadow();
  EXPECT_EQ(shadow.reg0 | shadow.reg4 | shadow.reg6 | shadow.reg8 | shadow.reg10, 0);
  // Wake-up, every register cleared, the three loop-back patterns each read
  // back through registers 4 and 8, and register 10 cleared again.
  const std::vector<sim::RegisterWrite> expected = {
      {12, 0x80}, {14, 0x80}, {6, 0}, {2, 0}, {0, 0}, {8, 0}, {4, 0},
      {10, 0x00}, {4, 0}, {8, 0}, {10, 0xAA}, {4, 0}, {8, 0}, {10, 0x55}, {4, 0}, {8, 0}, {10, 0x00}};
  EXPECT_EQ(s.programmer.RegisterLog(), expected);
  for (const int reg : {0, 2, 4, 6, 8, 10}) EXPECT_EQ(s.programmer.Register(reg), 0) << reg;
  EXPECT_EQ(s.programmer.Register(12), 0x80);
  EXPECT_EQ(s.programmer.Register(14), 0x80);
  EXPECT_FALSE(s.programmer.Lines().power);
  EXPECT_FALSE(s.programmer.Lines().load);
  // The first access is the lone strobe.
  EXPECT_EQ(s.programmer.Trace().front(), W(SimulatedLink::kControl, 0x01));
  // Detection again on the same programmer (the start-up retry loop).
  EXPECT_EQ(s.link.DetectProgrammer(), Result::Ok);
  EXPECT_TRUE(s.programmer.Violations().empty());
}

TEST(RegisterLink, DetectionReportsAStuckLoopBackLineWithoutAMessage) {
  for (const auto& [low, high] : {std::pair<std::uint8_t, std::uint8_t>{0x01, 0x00}, {0x00, 0x80}}) {
    SimulatedLink s;
    s.programmer.SetStuckInputLines(low, high);
    EXPECT_EQ(s.link.DetectProgrammer(), Result::ProgrammerNotFound);
    EXPECT_EQ(s.ui.Events().size(), 0u);
  }
}

TEST(RegisterLink, DetectionOfAnAbsentProgrammerTimesOutAfterBoundedReads) {
  // Status bits all high or inputs pulled low: the lone strobe is never
  // answered. Pulled-up inputs with the inverted BUSY line: the lone strobe
  // seems answered at once, and the write of register 12 then waits in vain.
  struct Model {
    sim::AbsentStatus status;
    ResultCode result;
    std::uint32_t extraReads;
  };
  for (const Model& model : {Model{sim::AbsentStatus::High, Result::HandshakeTimeout, 0},
                             Model{sim::AbsentStatus::BusyInverted, Result::ProgrammerNotFound, 1},
                             Model{sim::AbsentStatus::Low, Result::HandshakeTimeout, 0}}) {
    SCOPED_TRACE(static_cast<int>(model.status));
    SimulatedLink s;
    s.programmer.SetAbsentStatus(model.status);
    s.programmer.SetAbsent(true);
    EXPECT_EQ(s.link.DetectProgrammer(), model.result);
    EXPECT_EQ(s.ui.Texts(ScriptedUi::Kind::Info), std::vector<std::string>{kTimeoutText});
    EXPECT_EQ(s.StatusReads(), s.settings.TimeOut + model.extraReads);
    EXPECT_EQ(s.programmer.RegisterWrites(), 0u);
  }

  // The lone strobe latches register 0; switched off after the next write,
  // the write of register 12 fails.
  SimulatedLink off;
  off.programmer.SwitchOffAfterWrites(2);
  EXPECT_EQ(off.link.DetectProgrammer(), Result::ProgrammerNotFound);
  EXPECT_EQ(off.TimeoutMessages(), 1);
}

// The probe runs detection's own steps on the port, counts the status reads
// of the lone strobe and of one register write, reads all three loop-back
// patterns and leaves the programmer in its safe state, showing no box.
TEST(RegisterLink, TheProbeMeasuresEachStepAndLeavesTheProgrammerSafe) {
  using Loop = std::array<std::uint8_t, 3>;
  struct Case {
    std::optional<sim::AbsentStatus> absent;
    std::uint8_t stuckLow, stuckHigh;
    std::uint8_t raw;
    ResultCode strobe;
    std::uint64_t strobeReads;
    ResultCode handshake;
    std::uint64_t handshakeReads;
    std::optional<Loop> loopBack;
    int status;
  };
  const Case cases[] = {
      {std::nullopt, 0, 0, 0x80, Result::Ok, 3, Result::Ok, 6, Loop{0x00, 0xAA, 0x55}, ProbeStatus::Answered},
      {std::nullopt, 0x01, 0x80, 0x80, Result::Ok, 3, Result::Ok, 6, Loop{0x80, 0xAA, 0xD4},
       ProbeStatus::LoopBackFault},
      {sim::AbsentStatus::High, 0, 0, 0xFF, Result::HandshakeTimeout, 10000, Result::Ok, 0, std::nullopt,
       ProbeStatus::NoHandshake},
      {sim::AbsentStatus::BusyInverted, 0, 0, 0x7F, Result::Ok, 1, Result::HandshakeTimeout, 10000, std::nullopt,
       ProbeStatus::NoHandshake},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw + c.stuckLow);
    SimulatedLink s;
    s.programmer.SetAnswerAfterReads(3);
    s.programmer.SetStuckInputLines(c.stuckLow, c.stuckHigh);
    if (c.absent) {
      s.programmer.SetAbsentStatus(*c.absent);
      s.programmer.SetAbsent(true);
    }
    const ProbeMeasurement m = MeasurePort(s.programmer, s.settings);
    EXPECT_EQ(m.rawStatus, c.raw);
    EXPECT_EQ(m.strobe, c.strobe);
    EXPECT_EQ(m.strobeReads, c.strobeReads);
    EXPECT_EQ(m.handshake, c.handshake);
    EXPECT_EQ(m.handshakeReads, c.handshakeReads);
    EXPECT_EQ(m.loopBack, c.loopBack);
    EXPECT_EQ(MeasurementStatus(m), c.status);
    EXPECT_TRUE(s.ui.Events().empty());
    if (c.loopBack) {
      EXPECT_EQ(s.ValuesOf(10), (std::vector<std::uint8_t>{0x00, 0xAA, 0x55, 0x00}));
      for (const int reg : {0, 2, 4, 6, 8, 10}) EXPECT_EQ(s.programmer.Register(reg), 0) << reg;
      EXPECT_EQ(s.programmer.Lines().operatingCode | s.programmer.Lines().programmingCode, 0);
    }
  }
}

// A port whose accesses take a fixed time on a clock the test moves, and
// whose `nth` data write takes `hiccup` longer (a scheduler's pause).
class TimedPort final : public PortIo {
 public:
  TimedPort(PortIo& port, testing::ManualClock& clock, std::chrono::nanoseconds perAccess, std::uint16_t data,
            int nth, std::chrono::nanoseconds hiccup)
      : port_(port), clock_(clock), perAccess_(perAccess), data_(data), nth_(nth), hiccup_(hiccup) {}
  std::uint8_t Read(std::uint16_t address) override {
    clock_.Advance(perAccess_);
    return port_.Read(address);
  }
  void Write(std::uint16_t address, std::uint8_t value) override {
    clock_.Advance(perAccess_);
    if (address == data_ && ++dataWrites_ == nth_) clock_.Advance(hiccup_);
    port_.Write(address, value);
  }

 private:
  PortIo& port_;
  testing::ManualClock& clock_;
  std::chrono::nanoseconds perAccess_;
  std::uint16_t data_;
  int nth_;
  std::chrono::nanoseconds hiccup_;
  int dataWrites_ = 0;
};

// The probe times register writes and one delay by the clock: a register
// write is five port accesses here (data, register number, "ready", strobe,
// "taken"), so 10.2 us an access is a 51 us write. The median ignores a
// pause, the longest write shows it; the delay's length gives the
// TimeBaseKorr that fits, and the status says when the setting is off by
// more than 20 % and a value the settings accept would fit better.
TEST(RegisterLink, TheProbeTimesRegisterWritesAndADelayByTheClock) {
  using std::chrono::microseconds;
  using std::chrono::nanoseconds;
  struct Case {
    nanoseconds perAccess;
    std::int32_t korr;
    std::int64_t fitting;
    int percentOff;
    int status;
  };
  const Case cases[] = {
      {nanoseconds(10200), 85, 51, -40, ProbeStatus::TimingOff},  // the waits 40 % too short
      {nanoseconds(17000), 85, 85, 0, ProbeStatus::Answered},
      {nanoseconds(18600), 85, 93, 9, ProbeStatus::Answered},     // 9 % too long: tolerated
      {nanoseconds(30000), 85, 150, 76, ProbeStatus::TimingOff},  // 100 fits better
      {nanoseconds(30000), 100, 150, 50, ProbeStatus::Answered},  // already the highest value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.perAccess.count() + c.korr);
    SimulatedLink s;
    s.settings.TimeBaseKorr = c.korr;
    testing::ManualClock clock;
    TimedPort timed(s.programmer, clock, c.perAccess, SimulatedLink::kBase, 50, microseconds(700));
    const ProbeMeasurement m = MeasurePort(timed, s.settings, &clock);
    ASSERT_TRUE(m.timing.has_value());
    const TimingMeasurement& t = *m.timing;
    EXPECT_TRUE(t.complete);
    EXPECT_EQ(t.timeBaseKorr, c.korr);
    EXPECT_EQ(t.writes, kTimedWrites);
    EXPECT_EQ(t.median, 5 * c.perAccess);
    EXPECT_EQ(t.longest, 5 * c.perAccess + microseconds(700));
    EXPECT_EQ(t.delayMs, 200u);
    EXPECT_EQ(t.delayWrites, 200000u / static_cast<std::uint32_t>(c.korr) + 1);
    const TimingFit fit = FitTimeBase(t);
    EXPECT_EQ(fit.fittingKorr, c.fitting);
    EXPECT_EQ(fit.percentOff, c.percentOff);
    EXPECT_EQ(MeasurementStatus(m), c.status);
  }
  // Without a clock nothing is timed; a programmer that stops answering
  // during the timing ends it, and the probe reports no handshake.
  SimulatedLink untimed;
  EXPECT_FALSE(MeasurePort(untimed.programmer, untimed.settings).timing.has_value());
  SimulatedLink off;
  off.programmer.SwitchOffAfterWrites(400);
  testing::ManualClock clock;
  const ProbeMeasurement m = MeasurePort(off.programmer, off.settings, &clock);
  ASSERT_TRUE(m.timing.has_value());
  EXPECT_FALSE(m.timing->complete);
  EXPECT_LT(m.timing->writes, kTimedWrites);
  EXPECT_EQ(MeasurementStatus(m), ProbeStatus::NoHandshake);
}

}  // namespace
}  // namespace ferolith
