#include "cli/ProductionRun.h"

#include <ctime>
#include <istream>
#include <ostream>

#include "cli/CliOptions.h"
#include "cli/CliTexts.h"
#include "cli/ProductionLog.h"
#include "core/TextFormat.h"

namespace ferolith::cli {

namespace {

std::optional<std::uint32_t> CrcOf(const std::vector<AreaChecksum>& areas, MemoryArea area) {
  for (const AreaChecksum& checksum : areas) {
    if (checksum.area == area) return checksum.crc32;
  }
  return std::nullopt;
}

}  // namespace

ProductionRun::ProductionRun(CliEnvironment& environment, ProductionOptions options,
                             std::function<ChipOutcome()> programChip)
    : env_(environment), options_(std::move(options)), programChip_(std::move(programChip)) {}

bool ProductionRun::StopRequested() const {
  return env_.stopRequested != nullptr && env_.stopRequested();
}

bool ProductionRun::WaitForNextChip() {
  for (;;) {
    if (env_.terminal) env_.err << texts::kNextChip << std::flush;
    std::string line;
    const bool read = static_cast<bool>(std::getline(env_.in, line));
    // Ctrl-C while waiting ends the input (see main.cpp) and the run.
    if (!read || StopRequested()) {
      if (env_.terminal) env_.err << '\n';
      return false;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return true;
    if (line == "q" || line == "Q") return false;
    // Anything else is asked again.
  }
}

int ProductionRun::Run() {
  ProductionLog log;
  if (options_.logFile && !log.Open(*options_.logFile)) {
    env_.err << texts::kErrorPrefix << FormatText(texts::kLogNotOpened, options_.logFile->c_str())
             << '\n';
    return kLogError;
  }
  unsigned chips = 0;
  unsigned failed = 0;
  int status = 0;
  for (;;) {
    const ChipOutcome chip = programChip_();
    if (chip.abandoned) {
      if (status == 0) status = chip.result;
      break;
    }
    ++chips;
    if (chip.result != 0) {
      ++failed;
      if (status == 0) status = chip.result;
    }
    if (options_.logFile &&
        !log.Append({std::time(nullptr), chip.device, options_.burnFile,
                     CrcOf(chip.areas, MemoryArea::ProgramMemory),
                     CrcOf(chip.areas, MemoryArea::DataEeprom), chip.result, chip.serial})) {
      env_.err << texts::kErrorPrefix
               << FormatText(texts::kLogNotWritten, options_.logFile->c_str()) << '\n';
      if (status == 0) status = kLogError;
      break;
    }
    const std::string resultText(texts::ResultTextOf(chip.result));
    if (options_.repeat || chip.serial) {
      env_.out << (chip.serial ? FormatText(texts::kChipResultWithSerial, chips,
                                            static_cast<unsigned long long>(*chip.serial),
                                            resultText.c_str(), chip.result)
                               : FormatText(texts::kChipResult, chips, resultText.c_str(), chip.result))
               << std::endl;
    }
    if (!options_.repeat) return status;
    if (StopRequested() || (chip.result != 0 && !options_.keepGoing) || !WaitForNextChip()) break;
  }
  if (options_.repeat) env_.out << FormatText(texts::kRunSummary, chips, failed) << std::endl;
  return status;
}

}  // namespace ferolith::cli
