#pragma once

#include <chrono>
#include <cstdint>

#include "core/UiServices.h"

namespace ferolith {

// Monotonic time: the machine's steady clock in the programs, a clock the
// test advances in tests.
class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  virtual std::chrono::nanoseconds Now() = 0;
  // Returns once Now() has reached `time` (at once when it has already).
  virtual void SleepUntil(std::chrono::nanoseconds time) = 0;
};

// The machine's steady clock.
class SteadyClock final : public MonotonicClock {
 public:
  std::chrono::nanoseconds Now() override;
  void SleepUntil(std::chrono::nanoseconds time) override;
};

// Keeps the window answering while the hardware works. Every progress step
// pumps as it always did (Pump); besides, while a command's work runs with
// the input controls disabled (Armed), the register link calls Tick at every
// register write and every status read of a handshake wait, and Tick pumps
// once kMaxGap has passed since the last pump. On the real programmer a
// register write takes about 85 us, so without these pumps a pass would
// answer only at its 50 progress increments, seconds apart.
//
// The pump stays the one place where clicks reach the window; the loops
// still look at the cancel flag only between cells. A pump never runs
// inside another.
class PumpPacer {
 public:
  // Below the 30 ms a window may stay silent, with room for the register
  // write or status read that passes the mark and for the scheduler of a
  // busy machine (measured by bench/chip's BM_PumpGaps).
  static constexpr std::chrono::milliseconds kMaxGap{20};

  PumpPacer(UiServices& ui, MonotonicClock& clock) : ui_(ui), clock_(clock) {}
  PumpPacer(const PumpPacer&) = delete;
  PumpPacer& operator=(const PumpPacer&) = delete;

  // Time-based pumps for the lifetime of the object: the command frame
  // holds one between DisableControls and EnableControls.
  class Armed {
   public:
    explicit Armed(PumpPacer& pacer);
    ~Armed();
    Armed(const Armed&) = delete;
    Armed& operator=(const Armed&) = delete;

   private:
    PumpPacer& pacer_;
    bool wasArmed_;
  };

  // Pumps now: the pump of a progress step.
  void Pump();
  // Pumps when armed and kMaxGap has passed since the last pump.
  void Tick() {
    if (armed_) TickArmed();
  }

  bool IsArmed() const { return armed_; }
  // Pumps made by Tick so far.
  std::uint64_t TimedPumps() const { return timedPumps_; }

 private:
  void TickArmed();
  void PumpAt(std::chrono::nanoseconds now);

  UiServices& ui_;
  MonotonicClock& clock_;
  bool armed_ = false;
  bool pumping_ = false;
  std::chrono::nanoseconds lastPump_{};
  std::uint64_t timedPumps_ = 0;
};

}  // namespace ferolith
