#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/PortProbe.h"
#include "port/PortAccess.h"

namespace ferolith {

// The port probe's report: what someone needs to see when a programmer is
// first plugged in and nothing works. The machine's parallel ports, the way
// the program reached the port at PortAdress, and the link's measurement of
// what that port answers.

// How the port at PortAdress was reached.
struct PortRoute {
  std::string method;                // backend id ("ppdev", "direct") or "simulator"; empty: none
  std::string device;                // what was opened, or the simulator's model
  std::vector<std::string> refused;  // "id: reason" of each way tried in vain
  std::vector<std::string> untried;  // ways not tried after the chosen one
};

struct ProbeReport {
  std::vector<MachinePort> machinePorts;
  std::int32_t portAdress = 0;
  PortRoute route;
  std::optional<ProbeMeasurement> measurement;  // none without port access
  // The simulator runs as fast as it can: it has no time of its own to time.
  bool untimedSimulator = false;
};

// ProbeStatus::NoPortAccess without a measurement, else the measurement's status.
int ProbeExitStatus(const ProbeReport& report);

// The report in German, one finding a line.
std::string ProbeReportText(const ProbeReport& report);

}  // namespace ferolith
