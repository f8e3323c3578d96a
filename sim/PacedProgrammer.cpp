#include "sim/PacedProgrammer.h"

#include <charconv>
#include <string>

namespace ferolith::sim {

namespace {
constexpr double kMaxFactor = 1e6;
}  // namespace

std::optional<SimulationSpeed> ParseSimulationSpeed(std::string_view text) {
  if (text == "fast") return SimulationSpeed{0};
  if (text == "real") return SimulationSpeed{1};
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  double factor = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), factor);
  if (error != std::errc() || end != text.data() + text.size() || !(factor > 0) || factor > kMaxFactor) {
    return std::nullopt;
  }
  return SimulationSpeed{factor};
}

PacedProgrammer::PacedProgrammer(std::unique_ptr<VirtualProgrammer> programmer, const Settings& settings,
                                 SimulationSpeed speed, MonotonicClock& clock)
    : PacedProgrammer(*programmer, settings, speed, clock) {
  owned_ = std::move(programmer);
}

PacedProgrammer::PacedProgrammer(VirtualProgrammer& programmer, const Settings& settings, SimulationSpeed speed,
                                 MonotonicClock& clock)
    : programmer_(&programmer), settings_(settings), factor_(speed.factor > 0 ? speed.factor : 1), clock_(clock) {
  Restart(clock_.Now());
}

void PacedProgrammer::Restart(std::chrono::nanoseconds now) {
  wallStart_ = now;
  virtualStart_ = programmer_->NowMicros();
}

void PacedProgrammer::Write(std::uint16_t address, std::uint8_t value) {
  const std::int32_t korr = settings_.TimeBaseKorr;
  programmer_->SetMicrosPerWrite(korr > 0 ? static_cast<std::uint32_t>(korr) : 1u);
  programmer_->Write(address, value);
  const std::uint64_t virtualNow = programmer_->NowMicros();
  if (virtualNow == lastVirtual_) return;  // no register write completed
  lastVirtual_ = virtualNow;

  const double elapsedNanos = static_cast<double>(virtualNow - virtualStart_) * 1000.0 / factor_;
  const std::chrono::nanoseconds deadline = wallStart_ + std::chrono::nanoseconds(static_cast<std::int64_t>(elapsedNanos));
  const std::chrono::nanoseconds now = clock_.Now();
  if (deadline - now >= kMinSleep) {
    clock_.SleepUntil(deadline);
  } else if (now - deadline > kMaxLag) {
    Restart(now);
  }
}

}  // namespace ferolith::sim
