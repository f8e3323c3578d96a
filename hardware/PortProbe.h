#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ResultCode.h"
#include "core/Settings.h"
#include "hardware/PortAccess.h"
#include "hardware/PortIo.h"

namespace ferolith {

// The port probe: what someone needs to see when a programmer is first
// plugged in and nothing works. The machine's parallel ports, the way the
// program reached the port at PortAdress, and what that port answers to the
// program's own register write and detection loop-back.

// How the port at PortAdress was reached.
struct PortRoute {
  std::string method;                // backend id ("ppdev", "direct") or "simulator"; empty: none
  std::string device;                // what was opened, or the simulator's model
  std::vector<std::string> refused;  // "id: reason" of each way tried in vain
  std::vector<std::string> untried;  // ways not tried after the chosen one
};

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
};

// Probes `port` with the register link the program uses (a link of its own
// that shows no box): the raw status, detection's lone strobe, the write of
// 0x80 to register 12 with the status reads each took, register 14, the
// cleared registers and the loop-back over register 10 with all three
// patterns. A programmer that answered is left in its safe state.
ProbeMeasurement MeasurePort(PortIo& port, const Settings& settings);

struct ProbeReport {
  std::vector<MachinePort> machinePorts;
  std::int32_t portAdress = 0;
  PortRoute route;
  std::optional<ProbeMeasurement> measurement;  // none without port access
};

// The exit status of each outcome.
namespace ProbeStatus {
inline constexpr int Answered = 0;       // handshake and loop-back in order
inline constexpr int LoopBackFault = 8;  // handshake in order, input lines wrong
inline constexpr int NoHandshake = 10;   // no answer to the strobe or the register write
inline constexpr int NoPortAccess = 69;  // the port could not be opened (sysexits' EX_UNAVAILABLE)
}  // namespace ProbeStatus

int ProbeExitStatus(const ProbeReport& report);

// The report in German, one finding a line.
std::string ProbeReportText(const ProbeReport& report);

}  // namespace ferolith
