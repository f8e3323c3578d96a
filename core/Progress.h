#pragma once

#include <cstdint>

#include "core/PumpPacer.h"
#include "core/UiServices.h"

namespace ferolith {

// Progress-bar scaling of the long operations: at most about 50 increments
// per phase, and the message pump runs only at an increment.
class Progress {
 public:
  explicit Progress(UiServices& ui) : ui_(ui) {}

  // The pacer that times the window's other pumps: a progress step's pump
  // goes through it, so the next time-based pump waits a whole gap.
  void UsePacer(PumpPacer& pacer) { pacer_ = &pacer; }

  // Sets the bar's range and the step scaling for a phase of `steps` steps.
  void ProgressStart(std::uint32_t steps);
  // Counts one step; every `Divisor()` steps pumps messages and advances the bar.
  void ProgressStep();
  // Sets the bar's displayed position back to 0 at the end of a pass.
  void ProgressReset();

  std::uint32_t Divisor() const { return divisor_; }
  std::uint32_t Counter() const { return counter_; }
  std::uint32_t Position() const { return position_; }

 private:
  UiServices& ui_;
  PumpPacer* pacer_ = nullptr;
  std::uint32_t divisor_ = 1;
  std::uint32_t counter_ = 0;
  std::uint32_t position_ = 0;
};

}  // namespace ferolith
