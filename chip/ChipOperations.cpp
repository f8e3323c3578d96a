#include "chip/ChipOperations.h"

#include "core/TextFormat.h"

namespace ferolith {

namespace {

constexpr std::uint8_t kWriteDisableBit = 0x02;

constexpr char kBannerBlankCheck[] = "#### Blankcheck ####\n";
constexpr char kBannerProgram[] = "#### Brennen ####\n";
constexpr char kBannerVerify[] = "#### Prüfen ####\n";
constexpr char kBannerReadInitRegister1[] = "#### InitRegister1 lesen  ####\n";

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
  std::optional<Answer> answer = BlankCheckArea(MemoryArea::ProgramMemory, std::nullopt);
  if (answer != Answer::Cancel && cancelRequested_ == 0 && device_.DataEnd != 0 &&
      protocol_.ReadErrorFlag() == Result::Ok) {
    progress_.ProgressReset();
    progress_.ProgressStart(device_.DataEnd - device_.DataStart);
    ui_.SetStatus("Leertest Datenspeicher");
    ui_.Repaint();
    answer = BlankCheckArea(MemoryArea::DataEeprom, answer);
  }
  power_.LeaveProgrammingMode();
  progress_.ProgressReset();

  if (answer == Answer::Cancel || protocol_.ReadErrorFlag() != Result::Ok) return Result::BlankCheckStopped;
  if (cancelRequested_ != 0) {
    ui_.MessageInfo("Leertest abgebrochen !");
    return Result::BlankCheckStopped;
  }
  if (answer) return Result::NotBlankOrReadOut;  // non-blank cells, each answered with Retry
  const ResultCode result = AfterLink(Result::Ok, timeouts);
  if (result == Result::Ok) ui_.MessageInfo("\nController ist gelöscht !\n");
  return result;
}

ResultCode ChipOperations::ProgramArea(MemoryArea area) { return ProgramPass(area, &ChipOperations::ProgramLoop); }

ResultCode ChipOperations::ProgramChangedArea(MemoryArea area) {
  return ProgramPass(area, &ChipOperations::ProgramChangedLoop);
}

ResultCode ChipOperations::ProgramPass(MemoryArea area, ResultCode (ChipOperations::*loop)(MemoryArea)) {
  const auto count = static_cast<unsigned long>(image_.byteCount);
  const auto highest = static_cast<unsigned long>(image_.highestAddress);
  const bool code = area == MemoryArea::ProgramMemory;
  return RunAreaPass(
      area, {code ? kBannerProgram : nullptr,
             code ? FormatText("Programmspeicher Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX) ", count, count,
                               highest, highest)
                  : FormatText("EEPROM Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX) ", count, count, highest,
                               highest),
             loop, true, "Programmierung abgebrochen !", Result::ProgramFailed});
}

ResultCode ChipOperations::VerifyArea(MemoryArea area, bool askSocket) {
  const auto count = static_cast<unsigned long>(image_.byteCount);
  const auto highest = static_cast<unsigned long>(image_.highestAddress);
  const bool code = area == MemoryArea::ProgramMemory;
  return RunAreaPass(
      area, {code && askSocket ? kBannerVerify : nullptr,
             code ? FormatText("Programmspeicher prüfen Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX)", count, count,
                               highest, highest)
                  : FormatText("EEpromspeicher prüfen Bytes: %lu (0x%lX) bis Adresse: %lu (0x%lX)", count, count,
                               highest, highest),
             &ChipOperations::VerifyLoop, false, "Prüfen abgebrochen !", Result::VerifyFailed});
}

ResultCode ChipOperations::RunAreaPass(MemoryArea area, const AreaPass& pass) {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  power_.SafeState();
  if (pass.banner != nullptr && power_.ShowSocketInstructions(pass.banner) == Answer::Cancel) return pass.failed;
  StartPass(pass.status);
  const ResultCode result = (this->*pass.loop)(area);
  // Programming clears the progress bar before power-down, verifying after
  // it: the passes have always run so, and a timeout message during
  // power-down shows over the bar as it did.
  if (pass.resetBeforePowerDown) progress_.ProgressReset();
  power_.LeaveProgrammingMode();
  if (!pass.resetBeforePowerDown) progress_.ProgressReset();

  if (cancelRequested_ != 0) {
    ui_.MessageInfo(pass.cancelled);
    return pass.failed;
  }
  // The loops return 0 or the pass's own failure code.
  return AfterLink(result, timeouts);
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
  if (protocol_.ReadErrorFlag() == Result::Ok) {
    const std::uint8_t readBack = protocol_.ReadInitRegister1();
    if (protocol_.ReadErrorFlag() == Result::Ok && readBack != value) {
      ui_.MessageInfo(FormatText("InitRegister1 Fehler beim Prüfen !\n\nRichtig: 0x%02X\nGelesen: 0x%02X\n",
                                 static_cast<unsigned>(value), static_cast<unsigned>(readBack)));
      power_.LeaveProgrammingMode();
      return Result::ProgramFailed;
    }
  }
  power_.LeaveProgrammingMode();
  return protocol_.ReadErrorFlag() != Result::Ok ? Result::ProgramFailed : AfterLink(Result::Ok, timeouts);
}

ResultCode ChipOperations::ReadInitRegister1(std::uint8_t& value, bool askSocket) {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  power_.SafeState();
  if (askSocket && power_.ShowSocketInstructions(kBannerReadInitRegister1) == Answer::Cancel) {
    return Result::SocketCancelled;
  }
  ui_.SetStatus("Lese InitRegister1");
  ui_.Repaint();
  power_.EnterProgrammingMode();
  protocol_.ClearReadErrorFlag();
  value = protocol_.ReadInitRegister1();  // priming read
  if (protocol_.ReadErrorFlag() == Result::Ok) value = protocol_.ReadInitRegister1();
  power_.LeaveProgrammingMode();
  return AfterLink(protocol_.ReadErrorFlag(), timeouts);
}

void ChipOperations::StartPass(const std::string& status) {
  ui_.EnableCancelButton(true);
  ui_.SetStatus(status);
  ui_.Repaint();
  power_.EnterProgrammingMode();
}

}  // namespace ferolith
