#include <gtest/gtest.h>

#include "core/Progress.h"
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

}  // namespace
}  // namespace ferolith
