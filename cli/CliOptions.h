#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/SerialNumber.h"
#include "core/DataFormat.h"
#include "sim/AbsentStatus.h"
#include "sim/PacedProgrammer.h"

namespace ferolith::cli {

// Exit status for a usage error (sysexits' EX_USAGE).
inline constexpr int kUsageError = 64;
// Exit status when the log of a production run cannot be written
// (sysexits' EX_IOERR).
inline constexpr int kLogError = 74;
// Exit status when the folder of the desktop markers is refused, so that
// the program cannot tell whether another one uses the programmer
// (sysexits' EX_CANTCREAT).
inline constexpr int kMarkerFolderError = 73;
// Exit status when a process that sudo started cannot take on the user's
// rights (sysexits' EX_NOPERM).
inline constexpr int kNoUserRights = 77;
// Exit status when KALVENOR.INI or a project file cannot be written: the
// same I/O error.
inline constexpr int kSettingsError = 74;
// Exit status when a project file (--project) cannot be read or holds a
// value that is not understood (sysexits' EX_DATAERR).
inline constexpr int kProjectError = 65;

// program --serial: a serial number patched into each chip's image.
struct SerialOptions {
  SerialField field;
  std::uint64_t start = 1;
  std::uint64_t step = 1;
  SerialFormat format = SerialFormat::LittleEndian;
  std::optional<std::string> counterFile;  // --serial-file
  bool overwrite = false;                  // --serial-overwrite: the field may cover file data
};

enum class Command { Devices, Detect, Probe, Blank, Program, Verify, Read, InitReg, Convert, SaveProject };

// What the command line asked for.
struct CliOptions {
  Command command = Command::Devices;
  // FILE, IN and OUT, or PROJECT and BURNFILE; program and verify may go
  // without FILE when a project names it.
  std::vector<std::string> files;
  std::optional<std::uint8_t> initRegisterValue;  // initreg VALUE
  bool simulate = false;
  std::string simulationFile;
  // --simulate-absent: the virtual programmer does not answer (implies --simulate).
  std::optional<sim::AbsentStatus> absentProgrammer;
  bool emptySocket = false;  // --simulate-empty-socket (implies --simulate)
  // --simulate-stuck-low/-high: input lines that stick (implies --simulate).
  std::uint8_t stuckLow = 0;
  std::uint8_t stuckHigh = 0;
  sim::SimulationSpeed speed;  // --simulate-speed (implies --simulate)
  std::string traceFile;  // --trace
  std::optional<std::string> manufacturer;  // name or 0-based index
  std::optional<std::string> device;
  bool yes = false;
  bool retryOnError = false;
  std::optional<bool> verify;  // program: verify after programming; read: read twice
  std::optional<bool> saveBlank;
  std::optional<bool> checksum;
  std::optional<std::uint32_t> lineLength;  // already rounded down to even
  std::optional<DataFormat> format;
  MemoryArea area = MemoryArea::ProgramMemory;
  bool quiet = false;
  bool repeat = false;                 // program: one chip after another
  bool keepGoing = false;              // --repeat: go on after a failed chip
  std::optional<std::string> logFile;  // program: one CSV line per chip appended
  bool longList = false;               // devices -l: one tab-separated line per device
  std::optional<SerialOptions> serial;  // program --serial
  bool onlyChanged = false;             // program --only-changed
  std::optional<std::int32_t> port;      // --port: the port for this run instead of PortAdress
  std::optional<std::string> project;    // --project: its values over KALVENOR.INI's
  bool acceptChangedFile = false;        // --accept-changed-file: the project's file even when changed
};

// Parses the arguments. Returns the options, or the exit status when the
// program should end at once: 0 after --help or --version (their text
// written to `out`), kUsageError after a usage error (its German
// explanation written to `err`).
std::variant<CliOptions, int> ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err);

// What --version prints: the version and the ways to the programmer that
// this build has (the port backends and the simulator).
std::string VersionText();

}  // namespace ferolith::cli
