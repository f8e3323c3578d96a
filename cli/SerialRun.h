#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/ProductionRun.h"
#include "cli/SerialCounter.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"

namespace ferolith {
class Program;
}

namespace ferolith::cli {

// The serial numbers of "program --serial": checks the field before the
// first chip, takes each chip's number from the counter and patches it into
// the image the chain has just loaded for the field's area.
class SerialRun {
 public:
  SerialRun(const SerialOptions& serial, Program& program, UiServices& ui, std::ostream& err);

  // The field against the selected device and the burn file (or its
  // companion, for the data EEPROM), and the first number against the
  // width: 0, a usage error, kLogError for an unreadable counter, or the
  // status of a file that did not load.
  int Check();
  // The next number for a chip about to be programmed; an abandoned outcome
  // (after its line on standard error) when there is none.
  ChipOutcome Take();
  // Writes the number taken last into the image just loaded for `area`;
  // Result::FileNotLoaded, after a message, when the burn file has changed
  // so that the field now covers its data.
  ResultCode Patch(MemoryArea area);

 private:
  // A usage error found once the device is known: its line, kUsageError.
  int ReportUsage(const std::string& text);

  const SerialOptions& serial_;
  Program& program_;
  UiServices& ui_;
  std::ostream& err_;
  SerialCounter counter_;
  std::optional<std::uint64_t> chipSerial_;  // of the chip being programmed
};

}  // namespace ferolith::cli
