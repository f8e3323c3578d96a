#include "chip/ChipOperations.h"

#include "core/TextFormat.h"

namespace ferolith {

namespace {

constexpr std::uint8_t kWriteDisableBit = 0x02;

constexpr char kBannerBlankCheck[] = "#### Blankcheck ####\n";
constexpr char kBannerProgram[] = "#### Brennen ####\n";
constexpr char kBannerVerify[] = "#### Prüfen ####\n";

}  // namespace

ChipOperations::ChipOperations(AceProtocol& protocol, PowerSequencer& power, UiServices& ui,
                               Progress& progress, const DeviceEntry& device, MemoryImage& image,
                               const Settings& settings, const int& cancelRequested)
    : protocol_(protocol),
      power_(power),
      ui_(ui),
      progress_(progress),
      device_(device),
      image_(image),
      settings_(settings),
      cancelRequested_(cancelRequested) {}

ResultCode ChipOperations::AfterLink(ResultCode result, std::uint64_t timeoutsBefore) const {
  return result == Result::Ok && power_.LinkTimeouts() != timeoutsBefore ? Result::HandshakeTimeout
                                                                          : result;
}

ResultCode ChipOperations::BlankCheck() {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  progress_.ProgressStart(device_.CodeEnd - device_.CodeStart);
  power_.SafeState();
  if (power_.ShowSocketInstructions(kBannerBlankCheck) == Answer::Cancel) return Result::BlankCheckStopped;
  StartPass("Leertest Codespeicher");

  // A Retry given in program memory still counts when the data EEPROM is blank.
  int answer = BlankCheckArea(MemoryArea::ProgramMemory, 0);
  if (answer != Answer::Cancel && cancelRequested_ == 0 && device_.DataEnd != 0 &&
      protocol_.ReadErrorFlag() == 0) {
    progress_.ProgressReset();
    progress_.ProgressStart(device_.DataEnd - device_.DataStart);
    ui_.SetStatus("Leertest Datenspeicher");
    ui_.Repaint();
    answer = BlankCheckArea(MemoryArea::DataEeprom, answer);
  }
  power_.LeaveProgrammingMode();
  progress_.ProgressReset();

  if (answer == Answer::Cancel || protocol_.ReadErrorFlag() != 0) return Result::BlankCheckStopped;
  if (cancelRequested_ != 0) {
    ui_.MessageInfo("Leertest abgebrochen !");
    return Result::BlankCheckStopped;
  }
  if (answer != 0) return answer;
  const ResultCode result = AfterLink(Result::Ok, timeouts);
  if (result == Result::Ok) ui_.MessageInfo("\nController ist gelöscht !\n");
  return result;
}

ResultCode ChipOperations::ProgramArea(MemoryArea area) {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  power_.SafeState();
  const auto count = static_cast<unsigned long>(image_.byteCount);
  const auto highest = static_cast<unsigned long>(image_.highestAddress);
  std::string status;
  if (area == MemoryArea::ProgramMemory) {
    if (power_.ShowSocketInstructions(kBannerProgram) == Answer::Cancel) return Result::ProgramFailed;
    status = FormatText("Programmspeicher Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX) ", count, count,
                        highest, highest);
  } else {
    status = FormatText("EEPROM Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX) ", count, count, highest, highest);
  }
  StartPass(status);
  const ResultCode result = area == MemoryArea::ProgramMemory ? ProgramCodeMemory() : ProgramDataMemory();
  progress_.ProgressReset();
  power_.LeaveProgrammingMode();

  if (cancelRequested_ != 0) {
    ui_.MessageInfo("Programmierung abgebrochen !");
    return Result::ProgramFailed;
  }
  return AfterLink(result, timeouts);
}

ResultCode ChipOperations::VerifyArea(MemoryArea area, bool askSocket) {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  power_.SafeState();
  const auto count = static_cast<unsigned long>(image_.byteCount);
  const auto highest = static_cast<unsigned long>(image_.highestAddress);
  std::string status;
  if (area == MemoryArea::ProgramMemory) {
    if (askSocket && power_.ShowSocketInstructions(kBannerVerify) == Answer::Cancel) return Result::VerifyFailed;
    status = FormatText("Programmspeicher prüfen Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX)", count, count,
                        highest, highest);
  } else {
    status = FormatText("EEpromspeicher prüfen Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX)", count, count,
                        highest, highest);
  }
  StartPass(status);
  const ResultCode result = area == MemoryArea::ProgramMemory ? VerifyCodeMemory() : VerifyDataMemory();
  power_.LeaveProgrammingMode();
  progress_.ProgressReset();

  if (cancelRequested_ != 0) {
    ui_.MessageInfo("Prüfen abgebrochen !");
    return Result::VerifyFailed;
  }
  return result != Result::Ok ? Result::VerifyFailed : AfterLink(Result::Ok, timeouts);
}

ResultCode ChipOperations::ProgramInitRegister1() {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  const std::uint8_t value = settings_.InitRegister1Value;
  if ((value & kWriteDisableBit) != 0 &&
      ui_.MessageOkCancel("Das Bit WDIS im InitRegister1 ist gesetzt !\n\nInitRegister1 wirklich so "
                          "programmieren ?\n\nDer Chip kann danach nicht mehr programmiert werden !\n\n") ==
          Answer::Cancel) {
    return Result::ProgramFailed;
  }
  // This step follows the programming passes with the chip in place: no
  // safe state and no socket box.
  ui_.SetStatus("Programmiere InitRegister1");
  ui_.Repaint();
  power_.EnterProgrammingMode();

  protocol_.ClearReadErrorFlag();
  if (protocol_.WriteInitRegister1(value) != Result::Ok) {
    ui_.MessageInfo("InitRegister1 konnte nicht programmiert werden !");
    power_.LeaveProgrammingMode();
    return Result::ProgramFailed;
  }
  protocol_.ReadInitRegister1();  // priming read
  if (protocol_.ReadErrorFlag() == 0) {
    const std::uint8_t readBack = protocol_.ReadInitRegister1();
    if (protocol_.ReadErrorFlag() == 0 && readBack != value) {
      ui_.MessageInfo(FormatText("InitRegister1 Fehler beim Prüfen !\n\nRichtig: 0x%02X\nGelesen: 0x%02X\n",
                                 static_cast<unsigned>(value), static_cast<unsigned>(readBack)));
      power_.LeaveProgrammingMode();
      return Result::ProgramFailed;
    }
  }
  power_.LeaveProgrammingMode();
  return protocol_.ReadErrorFlag() != 0 ? Result::ProgramFailed : AfterLink(Result::Ok, timeouts);
}

void ChipOperations::StartPass(const std::string& status) {
  ui_.EnableCancelButton(true);
  ui_.SetStatus(status);
  ui_.Repaint();
  power_.EnterProgrammingMode();
}

}  // namespace ferolith
