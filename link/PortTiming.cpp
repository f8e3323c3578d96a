#include "link/PortTiming.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "link/RegisterLink.h"

namespace ferolith {

TimingMeasurement MeasureTiming(RegisterLink& link, MonotonicClock& clock, std::int32_t timeBaseKorr) {
  TimingMeasurement m;
  m.timeBaseKorr = timeBaseKorr;
  std::vector<std::chrono::nanoseconds> single;
  single.reserve(kTimedWrites);
  const std::uint64_t timeoutsBefore = link.Timeouts();
  const std::chrono::nanoseconds writesStart = clock.Now();
  std::chrono::nanoseconds last = writesStart;
  for (std::uint32_t i = 0; i < kTimedWrites && link.Timeouts() == timeoutsBefore; ++i) {
    link.WriteShadow(Reg::R4);
    const std::chrono::nanoseconds now = clock.Now();
    single.push_back(now - last);
    last = now;
  }
  m.writes = static_cast<std::uint32_t>(single.size());
  m.writesTotal = last - writesStart;
  if (link.Timeouts() != timeoutsBefore) return m;
  std::nth_element(single.begin(), single.begin() + static_cast<std::ptrdiff_t>(single.size() / 2), single.end());
  m.median = single[single.size() / 2];
  m.longest = *std::max_element(single.begin(), single.end());

  m.delayMs = kTimedDelayMs;
  // The delay's writes with the timing bit held, and the one that lowers it.
  m.delayWrites = link.AccessCount(kTimedDelayMs * 1000u) + 1;
  const std::chrono::nanoseconds delayStart = clock.Now();
  const ResultCode delayed = link.DelayMs(kTimedDelayMs);
  m.delay = clock.Now() - delayStart;
  m.complete = delayed == Result::Ok && link.Timeouts() == timeoutsBefore;
  return m;
}

TimingFit FitTimeBase(const TimingMeasurement& m) {
  TimingFit fit;
  if (!m.complete || m.delayWrites == 0) return fit;
  const double delayMicros = std::chrono::duration<double, std::micro>(m.delay).count();
  const double nominalMicros = static_cast<double>(m.delayMs) * 1000.0;
  fit.fittingKorr = std::llround(delayMicros / m.delayWrites);
  const double ratio = delayMicros / nominalMicros;
  fit.percentOff = static_cast<int>(std::lround((ratio - 1.0) * 100.0));
  const std::int64_t settable = std::clamp(fit.fittingKorr, kLowestKorr, kHighestKorr);
  fit.needsCorrection = std::abs(ratio - 1.0) * 100.0 > kTolerablePercent && settable != m.timeBaseKorr;
  return fit;
}

}  // namespace ferolith
