// The simulator refuses what a real programmer or chip would not take. Each
// case breaks the host's traffic on purpose (drops, merges, reorders or cuts
// short register writes on their way to the programmer) and expects exactly
// the violations the broken sequence deserves; the same sequence unbroken
// must stay clean (ChipRig checks that by itself).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/TextFormat.h"
#include "tests/support/ChipRig.h"

namespace ferolith::testing {
namespace {

struct Case {
  const char* name;
  std::function<void(ChipRig&)> breakHost;
  std::vector<std::string> violations;
};

std::vector<std::string> Violations(const ChipRig& rig) {
  std::vector<std::string> all = rig.programmer.Violations();
  all.insert(all.end(), rig.chip.Violations().begin(), rig.chip.Violations().end());
  return all;
}

// Runs `sequence` on a clean rig, then on one broken by each case.
void Check(const std::vector<Case>& cases, const std::function<void(ChipRig&)>& prepare,
           const std::function<void(ChipRig&)>& sequence) {
  {
    SCOPED_TRACE("unbroken");
    ChipRig rig;
    prepare(rig);
    sequence(rig);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChipRig rig;
    rig.expectCleanExchange = false;
    prepare(rig);
    c.breakHost(rig);
    sequence(rig);
    EXPECT_GT(rig.faults.Broken(), 0) << "the fault never applied";
    EXPECT_EQ(Violations(rig), c.violations);
  }
}

bool IsTimingWrite(const HostWrite& w) { return w.reg == Reg::R4 && (w.value & Lines::Timing.bit) != 0; }
bool IsDacLoad(const HostWrite& w) { return w.reg == Reg::R4 && (w.value & Lines::DacLoad.bit) != 0; }
bool IsPowerOn(const HostWrite& w) { return w.reg == Reg::R0 && (w.value & Lines::Power.bit) != 0; }
bool IsEntryPulse(const HostWrite& w) { return w.reg == Reg::R8 && (w.value & Lines::EntryPulse.bit) != 0; }

// Picks the writes between the first write that `from` picks and the next
// one that `to` picks (both excluded) for which `which` holds.
WriteSelector Between(std::function<bool(const HostWrite&)> from, std::function<bool(const HostWrite&)> to,
                      std::function<bool(const HostWrite&)> which) {
  return [from, to, which, inside = false, done = false](const HostWrite& w) mutable {
    if (done) return false;
    if (!inside) {
      inside = from(w);
      return false;
    }
    if (to(w)) {
      done = true;
      return false;
    }
    return which(w);
  };
}

// Picks the `n`-th write (1-based) that `which` picks.
WriteSelector Nth(int n, std::function<bool(const HostWrite&)> which) {
  return [n, which, seen = 0](const HostWrite& w) mutable { return which(w) && ++seen == n; };
}

TEST(BrokenHost, HandshakeOrder) {
  // The programmer answers each strobe edge on the third status read, so a
  // host that does not wait moves on before the byte is confirmed.
  const auto slow = [](ChipRig& rig) { rig.programmer.SetAnswerAfterReads(3); };
  const auto first = [](const HostWrite& w) { return w.index == 1; };
  // Only the first write skips its waits. The next one waits for ready, but
  // the status still shows the ready from before the unanswered strobe, so
  // its strobe comes too early as well; its wait for taken then brings the
  // two back in step.
  const auto early = "strobe raised before register %d's byte was confirmed";

  // The next byte differs: the data port changes under the unconfirmed one.
  Check({{"data port", [&](ChipRig& rig) { rig.faults.SkipWaits(first); },
          {"data port changed before register 10's byte was confirmed", FormatText(early, 10)}}},
        slow, [](ChipRig& rig) {
          rig.link.WriteRegister(Reg::R10, 0x11);
          rig.link.WriteRegister(Reg::R10, 0x22);
        });
  // The input read writes registers 4 and 8 with the same byte: only the
  // register number changes.
  Check({{"register number", [&](ChipRig& rig) { rig.faults.SkipWaits(first); },
          {"register number changed before register 4's byte was confirmed", FormatText(early, 4)}}},
        slow, [](ChipRig& rig) { rig.link.ReadInput(); });
  // A delay writes register 4 with the same byte again and again: only the
  // strobe goes down and up again.
  Check({{"strobe again", [&](ChipRig& rig) { rig.faults.SkipWaits(first); }, {FormatText(early, 4)}}}, slow,
        [](ChipRig& rig) { rig.link.DelayMs(1); });
}

TEST(BrokenHost, PowerUpAndPowerDownOrderInVirtualTime) {
  // Writes after an edge, at 85 us each: the DAC load is followed by its
  // own end, the data line cleared and the end of the (dropped) delay; the
  // power bit by the end of the delay, SerialOut and LOAD, a 1 ms delay of
  // 12 writes; the entry pulse by the end of its delay.
  const std::vector<Case> cases = {
      {"voltage codes never loaded", [](ChipRig& rig) { rig.faults.Drop(IsDacLoad); },
       {"power switched on before the voltage codes were loaded"}},
      {"programming code loaded after the power bit",
       [](ChipRig& rig) { rig.faults.Delay(Nth(2, IsDacLoad), IsPowerOn); },
       {"power switched on before the voltage codes were loaded"}},
      {"200 ms cut short",
       [](ChipRig& rig) { rig.faults.Drop(Between(Nth(2, IsDacLoad), IsPowerOn, IsTimingWrite)); },
       {"power switched on 340 us after the voltage codes were loaded (at least 200000 us)"}},
      {"entry pulse before the power bit", [](ChipRig& rig) { rig.faults.Delay(IsPowerOn, IsEntryPulse); },
       {"entry pulse while the power is off"}},
      {"400 ms cut short",
       [](ChipRig& rig) {
         const auto pullUp = [](const HostWrite& w) { return w.reg == Reg::R10; };
         rig.faults.Drop(Between(IsPowerOn, pullUp, IsTimingWrite));
       },
       {"entry pulse 1360 us after the power was switched on (at least 400000 us)"}},
      {"LOAD never raised",
       [](ChipRig& rig) {
         rig.faults.Drop([](const HostWrite& w) { return w.reg == Reg::R6 && w.value == Lines::Load.bit; });
       },
       {"entry pulse while LOAD is low"}},
      {"1 ms entry pulse cut short",
       [](ChipRig& rig) {
         const auto pulseEnd = [](const HostWrite& w) { return w.reg == Reg::R8 && w.value == 0; };
         rig.faults.Drop(Between(IsEntryPulse, pulseEnd, IsTimingWrite));
       },
       {"entry pulse of 170 us (at least 1000 us)"}},
      {"programming voltage never taken away",
       [](ChipRig& rig) {
         rig.faults.Drop([loads = 0](const HostWrite& w) mutable { return IsDacLoad(w) && ++loads > 2; });
       },
       {"power switched off while the programming voltage is applied"}},
  };
  Check(cases, [](ChipRig&) {}, [](ChipRig& rig) {
    rig.power.EnterProgrammingMode();
    rig.power.LeaveProgrammingMode();
  });
}

TEST(BrokenHost, SerialLinesOfTheChip) {
  const auto powerUp = [](ChipRig& rig) { rig.power.EnterProgrammingMode(); };
  const auto writeByte = [](ChipRig& rig) {
    rig.protocol.WriteCodeByte(0x12, 0xA5);  // 0x100012A5: the first 1 is the fourth bit
    rig.power.LeaveProgrammingMode();
  };
  const std::vector<Case> cases = {
      {"data bit merged into the clock edge",
       [](ChipRig& rig) {
         // Drops the first write that changes nothing but the data line; the
         // clock write after it carries the change.
         rig.faults.Drop([previous = std::uint8_t{0}, dropped = false](const HostWrite& w) mutable {
           if (w.reg != Reg::R10) return false;
           const bool onlyData = (w.value ^ previous) == Lines::SerialData.bit;
           previous = w.value;
           return onlyData && !std::exchange(dropped, true);
         });
       },
       {"data line changed with the rising CLK edge after 3 bits"}},
      {"command word never clocked in",
       [](ChipRig& rig) {
         // Drops the clock pulses of the shift: LOAD falls with nothing in.
         rig.faults.Drop([shifting = true](const HostWrite& w) mutable {
           if (w.reg == Reg::R6) shifting = false;
           return shifting && w.reg == Reg::R10 && (w.value & Lines::ClockDip8.bit) != 0;
         });
       },
       {"CLK pulsed after LOAD fell with no bit shifted"}},
      {"command word and its ending never clocked",
       [](ChipRig& rig) {
         // With no clock pulse at all, the host sees SerialOut stay high
         // after the first one and raises LOAD again.
         rig.faults.Drop([command = true](const HostWrite& w) mutable {
           if (w.reg == Reg::R6 && (w.value & Lines::Load.bit) != 0) command = false;
           return command && w.reg == Reg::R10 && (w.value & Lines::ClockDip8.bit) != 0;
         });
       },
       {"LOAD rose again after it fell with no bit shifted"}},
      {"SerialOut read on the DIP14 line",
       // Status bits 4 and 5 carry input lines 6 and 7: crossed, the host
       // samples the DIP8 chip's clock line instead of its SerialOut.
       [](ChipRig& rig) { rig.faults.SwapStatusBits(4, 5); },
       {"SerialOut read on another line: LOAD raised after command 0x100012A5 although DIP8 SerialOut "
        "showed high"}},
      {"SerialOut read on a line stuck high",
       [](ChipRig& rig) {
         rig.faults.SwapStatusBits(4, 5);
         rig.programmer.SetStuckInputLines(0x00, 0x40);
       },
       {"SerialOut read on another line: LOAD raised after command 0x100012A5 although DIP8 SerialOut "
        "showed low"}},
  };
  Check(cases, powerUp, writeByte);
}

TEST(BrokenHost, PullUpsThatDoNotFitThePackage) {
  const std::vector<Case> cases = {
      {"SerialOut pull-up never set",
       [](ChipRig& rig) { rig.faults.Drop([](const HostWrite& w) { return w.reg == Reg::R10 && w.value != 0; }); },
       {"register 10 pull-ups 0x00 do not fit a DIP8 chip"}},
  };
  Check(cases, [](ChipRig&) {}, [](ChipRig& rig) {
    rig.power.EnterProgrammingMode();
    rig.power.LeaveProgrammingMode();
  });

  // A host with the DIP14 pin map drives the clock of a DIP8 chip as its
  // SerialOut pull-up.
  ChipRig dip14Host(MakeDevice(14));
  dip14Host.expectCleanExchange = false;
  sim::VirtualAceChip dip8Chip(MakeDevice(8));
  dip14Host.programmer.Plug(&dip8Chip);
  dip14Host.power.EnterProgrammingMode();
  dip14Host.power.LeaveProgrammingMode();
  EXPECT_EQ(dip8Chip.Violations(), std::vector<std::string>{"register 10 pull-ups 0x40 do not fit a DIP8 chip"});
  EXPECT_EQ(dip14Host.programmer.Violations(), std::vector<std::string>{});
}

}  // namespace
}  // namespace ferolith::testing
