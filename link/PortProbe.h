#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/PumpPacer.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "link/PortTiming.h"
#include "port/PortIo.h"

namespace ferolith {

// The port probe's measurement: what the port at PortAdress answers to the
// program's own register write and detection loop-back, taken with the
// register link the program uses. The report around it (the machine's ports,
// the way the port was reached) is put together above this layer.

// What the port answered.
struct ProbeMeasurement {
  std::uint8_t rawStatus = 0;  // the status register before anything was written
  ResultCode strobe = Result::Ok;  // detection's lone strobe: Ok or HandshakeTimeout
  std::uint64_t strobeReads = 0;
  ResultCode handshake = Result::Ok;  // the write of 0x80 to register 12: Ok or HandshakeTimeout
  std::uint64_t handshakeReads = 0;
  // The input lines read back for each of kLoopBackPatterns; none when the
  // handshake failed (every further write would only time out again).
  std::optional<std::array<std::uint8_t, 3>> loopBack;
  // The register writes and a delay timed by the machine's clock; none
  // without a handshake or without a clock to time them by.
  std::optional<TimingMeasurement> timing;
};

// Probes `port` with the register link the program uses (a link of its own
// that shows no box): the raw status, detection's lone strobe, the write of
// 0x80 to register 12 with the status reads each took, register 14, the
// cleared registers and the loop-back over register 10 with all three
// patterns; with a `clock`, then the timing of register writes and of a
// delay. A programmer that answered is left in its safe state.
ProbeMeasurement MeasurePort(PortIo& port, const Settings& settings, MonotonicClock* clock = nullptr);

// The exit status of each outcome.
namespace ProbeStatus {
inline constexpr int Answered = 0;       // handshake and loop-back in order
inline constexpr int LoopBackFault = 8;  // handshake in order, input lines wrong
inline constexpr int NoHandshake = 10;   // no answer to the strobe or the register write
inline constexpr int TimingOff = 78;     // all in order, but TimeBaseKorr does not fit (sysexits' EX_CONFIG)
inline constexpr int NoPortAccess = 69;  // the port could not be opened (sysexits' EX_UNAVAILABLE)
}  // namespace ProbeStatus

// The status of a port that could be opened and measured.
int MeasurementStatus(const ProbeMeasurement& measurement);

}  // namespace ferolith
