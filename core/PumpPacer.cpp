#include "core/PumpPacer.h"

#include <thread>

namespace ferolith {

std::chrono::nanoseconds SteadyClock::Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyClock::SleepUntil(std::chrono::nanoseconds time) {
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(time)));
}

PumpPacer::Armed::Armed(PumpPacer& pacer) : pacer_(pacer), wasArmed_(pacer.armed_) {
  // The first time-based pump comes one gap after the work began.
  if (!wasArmed_) pacer_.lastPump_ = pacer_.clock_.Now();
  pacer_.armed_ = true;
}

PumpPacer::Armed::~Armed() { pacer_.armed_ = wasArmed_; }

void PumpPacer::Pump() { PumpAt(clock_.Now()); }

void PumpPacer::TickArmed() {
  const std::chrono::nanoseconds now = clock_.Now();
  if (now - lastPump_ < kMaxGap || pumping_) return;
  ++timedPumps_;
  PumpAt(now);
}

void PumpPacer::PumpAt(std::chrono::nanoseconds now) {
  // The gap counts from the start of a pump: what the window does in it
  // (a repaint) is answering already.
  lastPump_ = now;
  pumping_ = true;
  ui_.PumpMessages();
  pumping_ = false;
}

}  // namespace ferolith
