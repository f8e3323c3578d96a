#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/PumpPacer.h"
#include "core/Settings.h"
#include "port/PortIo.h"
#include "sim/VirtualProgrammer.h"

namespace ferolith::sim {

// How fast the virtual programmer runs: as fast as the machine allows
// (factor 0, "fast"), as fast as the real programmer ("real", factor 1), or
// `factor` times faster than the real one.
struct SimulationSpeed {
  double factor = 0;

  bool Paced() const { return factor > 0; }
};

// "fast", "real", or a factor above 0 (decimal point allowed, up to 1e6);
// nothing for anything else.
std::optional<SimulationSpeed> ParseSimulationSpeed(std::string_view text);

// The virtual programmer at the pace of the real one: each register write
// lasts TimeBaseKorr us of its virtual clock (taken from the settings at
// every write, as the register link takes it), and the wall clock is held
// to the virtual clock divided by the speed factor. So a delay of n ms
// lasts n ms, and a chip's programming cycle its programming time.
//
// The pace is kept by a deadline that accumulates the virtual time; the
// port sleeps until it only when it is at least kMinSleep ahead, so the
// error of one sleep does not add up over a pass. When the host falls
// behind by more than kMaxLag (a message box waiting for the user, a
// loaded machine), the deadline starts afresh from now instead of racing
// to catch up.
class PacedProgrammer final : public PortIo {
 public:
  static constexpr std::chrono::microseconds kMinSleep{1000};
  static constexpr std::chrono::microseconds kMaxLag{5000};

  // Paces `programmer`, which it owns, or which outlives it.
  PacedProgrammer(std::unique_ptr<VirtualProgrammer> programmer, const Settings& settings, SimulationSpeed speed,
                  MonotonicClock& clock);
  PacedProgrammer(VirtualProgrammer& programmer, const Settings& settings, SimulationSpeed speed,
                  MonotonicClock& clock);

  std::uint8_t Read(std::uint16_t address) override { return programmer_->Read(address); }
  void Write(std::uint16_t address, std::uint8_t value) override;

  VirtualProgrammer& Programmer() { return *programmer_; }

 private:
  void Restart(std::chrono::nanoseconds now);

  std::unique_ptr<VirtualProgrammer> owned_;
  VirtualProgrammer* programmer_;
  const Settings& settings_;
  double factor_;
  MonotonicClock& clock_;
  std::chrono::nanoseconds wallStart_{};
  std::uint64_t virtualStart_ = 0;
  std::uint64_t lastVirtual_ = 0;
};

}  // namespace ferolith::sim
