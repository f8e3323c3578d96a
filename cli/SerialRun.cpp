#include "cli/SerialRun.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "app/Program.h"
#include "cli/CliTexts.h"
#include "core/TextFormat.h"
#include "core/Utf8Path.h"

namespace ferolith::cli {

SerialRun::SerialRun(const SerialOptions& serial, Program& program, UiServices& ui, std::ostream& err)
    : serial_(serial), program_(program), ui_(ui), err_(err), counter_(serial.start, serial.step, serial.counterFile) {}

int SerialRun::ReportUsage(const std::string& text) {
  err_ << texts::kErrorPrefix << text << '\n';
  return kUsageError;
}

int SerialRun::Check() {
  const SerialOptions& serial = serial_;
  const ProgramState& state = program_.State();
  const bool data = serial.field.area == MemoryArea::DataEeprom;
  const std::string& file = data ? state.CompanionFilePath : state.settings.BurnFilePath;
  // The field's place in the device's area first, whatever the files hold.
  MemoryImage blank;
  blank.FillBlank();
  if (const auto outside = SerialFieldConflict(serial.field, state.device, blank, true)) {
    return ReportUsage(*outside);
  }
  std::error_code error;
  if (data && !std::filesystem::exists(PathFromUtf8(file), error)) {
    return ReportUsage(FormatText(texts::kSerialNeedsCompanion, SerialFieldText(serial.field).c_str(),
                                  file.c_str()));
  }
  const ResultCode loaded = program_.LoadForSelectedDevice(file, serial.field.area);
  if (loaded != Result::Ok) return ResultNumber(loaded);
  if (const auto conflict = SerialFieldConflict(serial.field, state.device, state.image, serial.overwrite)) {
    return ReportUsage(*conflict);
  }
  const auto first = counter_.Peek();
  if (!first) {
    err_ << texts::kErrorPrefix << counter_.Error() << '\n';
    return kLogError;
  }
  if (*first > LargestSerial(serial.format, serial.field.width)) {
    return ReportUsage(FormatText(texts::kSerialTooLarge, static_cast<unsigned long long>(*first)));
  }
  return 0;
}

ResultCode SerialRun::Patch(MemoryArea area) {
  if (!chipSerial_ || area != serial_.field.area) return Result::Ok;
  const SerialOptions& serial = serial_;
  ProgramState& state = program_.State();
  // The burn file may have changed since the run began.
  if (const auto conflict = SerialFieldConflict(serial.field, state.device, state.image, serial.overwrite)) {
    ui_.MessageInfo(FormatText(texts::kSerialPatchFailed, conflict->c_str()));
    return Result::FileNotLoaded;
  }
  const std::vector<std::uint8_t> bytes = SerialBytes(*chipSerial_, serial.format, serial.field.width);
  std::copy(bytes.begin(), bytes.end(), state.image.bytes.begin() + serial.field.address);
  return Result::Ok;
}

ChipOutcome SerialRun::Take() {
  ChipOutcome outcome;
  chipSerial_ = counter_.Take(LargestSerial(serial_.format, serial_.field.width));
  if (!chipSerial_) {
    err_ << texts::kErrorPrefix << counter_.Error() << '\n';
    outcome.abandoned = true;
    // A number too large for the field is a limit of the call; anything
    // else is the counter file.
    outcome.result = counter_.Exhausted() ? kUsageError : kLogError;
  }
  outcome.serial = chipSerial_;
  return outcome;
}

}  // namespace ferolith::cli
