#include "chip/ReadOut.h"

#include "files/ImageFileWriter.h"

namespace ferolith {

ReadOut::ReadOut(ChipOperations& operations, AceProtocol& protocol, PowerSequencer& power,
                 UiServices& ui, MemoryImage& image, const DeviceEntry& device,
                 const Settings& settings, const int& cancelRequested, FileOps& fileOps)
    : operations_(operations),
      protocol_(protocol),
      power_(power),
      ui_(ui),
      image_(image),
      device_(device),
      settings_(settings),
      cancelRequested_(cancelRequested),
      fileOps_(fileOps) {}

ResultCode ReadOut::ReadOutToFile(const std::string& path, MemoryArea area) {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  power_.SafeState();
  if (area == MemoryArea::ProgramMemory &&
      power_.ShowSocketInstructions("#### Auslesen ####\n") == Answer::Cancel) {
    return Result::NotBlankOrReadOut;
  }
  ui_.EnableCancelButton(true);
  power_.EnterProgrammingMode();
  image_.FillBlank();
  if (area == MemoryArea::ProgramMemory) {
    ui_.SetStatus("Lese Programmspeicher");
    ui_.Repaint();
    operations_.ReadCodeMemory();
  } else {
    ui_.SetStatus("Lese EEPROM");
    ui_.Repaint();
    operations_.ReadDataMemory();
  }
  power_.LeaveProgrammingMode();

  if (cancelRequested_ == 1) {
    ui_.MessageInfo("Auslesen abgebrochen !");
    return Result::NotBlankOrReadOut;
  }
  // A failed read ending has been reported where it happened; no file.
  if (protocol_.ReadErrorFlag() != Result::Ok) return Result::NotBlankOrReadOut;
  // The programmer did not answer every step: what was read is not trusted.
  if (power_.LinkTimeouts() != timeouts) return Result::HandshakeTimeout;
  return WriteImageFile(path, area, ui_, image_, device_, settings_, fileOps_);
}

}  // namespace ferolith
