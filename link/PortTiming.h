#pragma once

#include <chrono>
#include <cstdint>

#include "core/PumpPacer.h"

namespace ferolith {

class RegisterLink;

// How long the port's register writes really take, by the machine's clock.
// All waits of the program are counted in register writes, each taken to
// last TimeBaseKorr microseconds; this is the measure of whether that holds.
struct TimingMeasurement {
  std::int32_t timeBaseKorr = 0;        // the setting the measurement ran with
  std::uint32_t writes = 0;             // register writes timed one by one
  std::chrono::nanoseconds median{};    // of one of them
  std::chrono::nanoseconds longest{};
  std::chrono::nanoseconds writesTotal{};  // all of them, end to end
  std::uint32_t delayMs = 0;            // the delay timed end to end
  std::uint32_t delayWrites = 0;        // the register writes it is made of
  std::chrono::nanoseconds delay{};     // how long it really took
  bool complete = false;                // false: a handshake failed on the way
};

// What the probe times: this many single register writes (of register 4
// with its unchanged shadow, as the input read and the delays write it)
// and one delay of this many milliseconds.
inline constexpr std::uint32_t kTimedWrites = 1000;
inline constexpr std::uint32_t kTimedDelayMs = 200;

// Times `link`'s register writes and one delay with `clock`. The link's
// port must be a programmer that answers; the timed writes change no line
// but the timing bit.
TimingMeasurement MeasureTiming(RegisterLink& link, MonotonicClock& clock, std::int32_t timeBaseKorr);

// What a complete measurement means for TimeBaseKorr.
struct TimingFit {
  // The microseconds one register write really takes: the TimeBaseKorr
  // that would make the timed delay last what it should.
  std::int64_t fittingKorr = 0;
  // The delay against its nominal length, in per cent (rounded): below 0
  // the waits are too short, above 0 too long.
  int percentOff = 0;
  // The waits are off by more than kTolerablePercent and a TimeBaseKorr the
  // settings accept (1..100) would bring them closer.
  bool needsCorrection = false;
};

inline constexpr int kTolerablePercent = 20;
inline constexpr std::int64_t kLowestKorr = 1;
inline constexpr std::int64_t kHighestKorr = 100;

TimingFit FitTimeBase(const TimingMeasurement& measurement);

}  // namespace ferolith
