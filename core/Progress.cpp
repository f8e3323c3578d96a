#include "core/Progress.h"

namespace ferolith {

namespace {
constexpr std::uint32_t kMaxIncrements = 50;
}

void Progress::ProgressStart(std::uint32_t steps) {
  if (steps > kMaxIncrements) {
    ui_.SetProgressRange(kMaxIncrements);
    divisor_ = steps / kMaxIncrements;
  } else {
    ui_.SetProgressRange(steps);
    divisor_ = 1;
  }
  counter_ = 0;
  position_ = 0;
}

void Progress::ProgressStep() {
  ++counter_;
  if (counter_ == divisor_) {
    if (pacer_ != nullptr) {
      pacer_->Pump();
    } else {
      ui_.PumpMessages();
    }
    ++position_;
    ui_.SetProgressPosition(position_);
    counter_ = 0;
  }
}

void Progress::ProgressReset() { ui_.SetProgressPosition(0); }

}  // namespace ferolith
