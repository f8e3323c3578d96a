#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "core/PumpPacer.h"
#include "port/PortIo.h"

namespace ferolith::testing {

// A clock that moves only when the test moves it, or when something sleeps
// on it (the sleep then ends at once, at its deadline). Counting, not
// timing: what depends on elapsed time becomes a matter of counts.
class ManualClock final : public MonotonicClock {
 public:
  std::chrono::nanoseconds Now() override { return now_; }
  void SleepUntil(std::chrono::nanoseconds time) override {
    ++sleeps_;
    if (time > now_) {
      slept_ += time - now_;
      now_ = time;
    }
  }
  void Advance(std::chrono::nanoseconds step) { now_ += step; }

  int Sleeps() const { return sleeps_; }
  std::chrono::nanoseconds Slept() const { return slept_; }

 private:
  std::chrono::nanoseconds now_{std::chrono::hours(1)};
  std::chrono::nanoseconds slept_{};
  int sleeps_ = 0;
};

// A slow port: every access to the port behind it moves the clock on by a
// fixed step, as a port whose accesses take that long would.
class SlowPort final : public PortIo {
 public:
  SlowPort(PortIo& port, ManualClock& clock, std::chrono::nanoseconds perAccess)
      : port_(port), clock_(clock), perAccess_(perAccess) {}

  std::uint8_t Read(std::uint16_t address) override {
    clock_.Advance(perAccess_);
    return port_.Read(address);
  }
  void Write(std::uint16_t address, std::uint8_t value) override {
    clock_.Advance(perAccess_);
    port_.Write(address, value);
  }
  void SetPerAccess(std::chrono::nanoseconds perAccess) { perAccess_ = perAccess; }

 private:
  PortIo& port_;
  ManualClock& clock_;
  std::chrono::nanoseconds perAccess_;
};

// The clock's time at every pump of a UI, from the moment it is made.
struct PumpTimes {
  explicit PumpTimes(ManualClock& clock) : clock_(clock), start(clock.Now()) {}
  void operator()(int) { at.push_back(clock_.Now()); }

  // The longest stretch without a pump: from the start to the first pump,
  // between two pumps, from the last pump to now.
  std::chrono::nanoseconds LongestSilence() const {
    std::chrono::nanoseconds longest{0};
    std::chrono::nanoseconds last = start;
    for (const std::chrono::nanoseconds time : at) {
      if (time - last > longest) longest = time - last;
      last = time;
    }
    return clock_.Now() - last > longest ? clock_.Now() - last : longest;
  }

 private:
  ManualClock& clock_;

 public:
  std::chrono::nanoseconds start;
  std::vector<std::chrono::nanoseconds> at;
};

}  // namespace ferolith::testing
