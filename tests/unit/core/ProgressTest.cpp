#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "core/Progress.h"
#include "core/PumpPacer.h"
#include "tests/support/ScriptedUi.h"

namespace ferolith {
namespace {

using testing::ScriptedUi;
using Kind = ScriptedUi::Kind;

std::vector<std::uint32_t> Values(const ScriptedUi& ui, Kind kind) {
  std::vector<std::uint32_t> values;
  for (const auto& event : ui.Events()) {
    if (event.kind == kind) values.push_back(event.value);
  }
  return values;
}

TEST(Progress, SmallPhasesAdvanceAndPumpOnEveryStep) {
  for (std::uint32_t steps : {0u, 1u, 50u}) {
    ScriptedUi ui;
    Progress progress(ui);
    progress.ProgressStart(steps);
    EXPECT_EQ(Values(ui, Kind::ProgressRange), std::vector<std::uint32_t>{steps});
    EXPECT_EQ(progress.Divisor(), 1u);
    for (std::uint32_t i = 0; i < steps; ++i) progress.ProgressStep();
    EXPECT_EQ(ui.Count(Kind::Pump), static_cast<int>(steps));
    EXPECT_EQ(progress.Position(), steps);
  }
}

TEST(Progress, LargePhasesAreScaledToFiftyIncrements) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(120);
  EXPECT_EQ(Values(ui, Kind::ProgressRange), std::vector<std::uint32_t>{50});
  EXPECT_EQ(progress.Divisor(), 2u);
  for (int i = 0; i < 120; ++i) progress.ProgressStep();
  EXPECT_EQ(ui.Count(Kind::Pump), 60);
  EXPECT_EQ(progress.Position(), 60u);  // runs past the range; the bar stays full
}

TEST(Progress, FiftyOneStepsRunOnePastTheRange) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(51);
  EXPECT_EQ(progress.Divisor(), 1u);
  for (int i = 0; i < 51; ++i) progress.ProgressStep();
  EXPECT_EQ(Values(ui, Kind::ProgressPosition).back(), 51u);
}

TEST(Progress, PumpsBeforeTheBarMovesAndStartDoesNotResetTheBar) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(100);
  EXPECT_EQ(ui.Count(Kind::ProgressPosition), 0);
  progress.ProgressStep();
  EXPECT_EQ(ui.Count(Kind::Pump), 0);
  progress.ProgressStep();
  ASSERT_GE(ui.Events().size(), 2u);
  const auto& events = ui.Events();
  EXPECT_EQ(events[events.size() - 2].kind, Kind::Pump);
  EXPECT_EQ(events.back().kind, Kind::ProgressPosition);
  EXPECT_EQ(events.back().value, 1u);
}

TEST(Progress, RestartBeginsCountingAfresh) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(100);
  progress.ProgressStep();  // counter 1 of 2
  progress.ProgressStart(4);
  progress.ProgressStep();
  EXPECT_EQ(progress.Position(), 1u);
  progress.ProgressReset();
  EXPECT_EQ(ui.ProgressPositionNow(), 0u);
}


// The pacer's clock: moved by the test only.
class TestClock final : public MonotonicClock {
 public:
  std::chrono::nanoseconds Now() override { return now; }
  void SleepUntil(std::chrono::nanoseconds time) override { now = std::max(now, time); }
  std::chrono::nanoseconds now{std::chrono::seconds(7)};
};

TEST(PumpPacer, PumpsByElapsedTimeOnlyWhileArmedAndNeverInsideItself) {
  using std::chrono::milliseconds;
  ScriptedUi ui;
  TestClock clock;
  PumpPacer pacer(ui, clock);
  // Not armed: time alone never pumps.
  clock.now += milliseconds(500);
  pacer.Tick();
  EXPECT_EQ(ui.Count(Kind::Pump), 0);
  {
    const PumpPacer::Armed armed(pacer);
    // The gap counts from the moment the work began, not from the last
    // pump before it.
    pacer.Tick();
    EXPECT_EQ(ui.Count(Kind::Pump), 0);
    // 1 ms steps over 100 ms: a pump at every full gap, none between.
    int pumps = 0;
    for (int i = 0; i < 100; ++i) {
      clock.now += milliseconds(1);
      pacer.Tick();
      if (ui.Count(Kind::Pump) != pumps) {
        pumps = ui.Count(Kind::Pump);
        EXPECT_EQ((i + 1) % PumpPacer::kMaxGap.count(), 0) << "at " << i + 1 << " ms";
      }
    }
    EXPECT_EQ(pumps, 100 / PumpPacer::kMaxGap.count());
    EXPECT_EQ(pacer.TimedPumps(), static_cast<std::uint64_t>(pumps));

    // A progress step's pump restarts the gap.
    clock.now += PumpPacer::kMaxGap - milliseconds(1);
    pacer.Pump();
    clock.now += milliseconds(1);
    pacer.Tick();
    EXPECT_EQ(ui.Count(Kind::Pump), pumps + 1);

    // Whatever the pump's events do on the link, no pump starts inside it.
    int nested = 0;
    ui.OnPump([&](int) {
      clock.now += PumpPacer::kMaxGap * 2;
      pacer.Tick();
      ++nested;
    });
    clock.now += PumpPacer::kMaxGap;
    pacer.Tick();
    EXPECT_EQ(nested, 1);
    ui.OnPump({});
    // Armed twice (a command inside a command's bracket) stays armed until
    // the outer one ends.
    { const PumpPacer::Armed inner(pacer); }
    EXPECT_TRUE(pacer.IsArmed());
  }
  EXPECT_FALSE(pacer.IsArmed());
  const int before = ui.Count(Kind::Pump);
  clock.now += milliseconds(500);
  pacer.Tick();
  EXPECT_EQ(ui.Count(Kind::Pump), before);
}

TEST(PumpPacer, ProgressStepsPumpThroughThePacer) {
  ScriptedUi ui;
  TestClock clock;
  PumpPacer pacer(ui, clock);
  Progress progress(ui);
  progress.UsePacer(pacer);
  const PumpPacer::Armed armed(pacer);
  progress.ProgressStart(100);
  clock.now += PumpPacer::kMaxGap;
  progress.ProgressStep();
  progress.ProgressStep();  // the increment pumps and restarts the gap
  EXPECT_EQ(ui.Count(Kind::Pump), 1);
  pacer.Tick();
  EXPECT_EQ(ui.Count(Kind::Pump), 1);
  EXPECT_EQ(pacer.TimedPumps(), 0u);
}

}  // namespace
}  // namespace ferolith
