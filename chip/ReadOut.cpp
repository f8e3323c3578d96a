#include "chip/ReadOut.h"

#include <optional>
#include <vector>

#include "core/TextFormat.h"
#include "files/AreaChecksum.h"
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
  const ResultCode read = ReadArea(area, true);
  return read == Result::Ok ? WriteArea(path, area) : read;
}

ResultCode ReadOut::WriteArea(const std::string& path, MemoryArea area) {
  return WriteImageFile(path, area, ui_, image_, device_, settings_, fileOps_);
}

ResultCode ReadOut::ReadAreaTwice(MemoryArea area) {
  ResultCode result = ReadArea(area, true);
  if (result != Result::Ok) return result;
  const AreaCells cells = CellsOf(device_, area);
  const std::vector<std::uint8_t> first(image_.bytes.begin() + cells.first,
                                        image_.bytes.begin() + cells.end);
  result = ReadArea(area, false);
  if (result != Result::Ok) return result;
  // Every cell is compared, so that an observer sees all differences; the
  // message names the first.
  std::optional<std::uint32_t> firstDifference;
  for (std::uint32_t address = cells.first; address < cells.end; ++address) {
    const std::uint8_t before = first[address - cells.first];
    if (cellObserver_) cellObserver_({area, address, before, image_.bytes[address]});
    if (image_.bytes[address] != before && !firstDifference) firstDifference = address;
  }
  if (!firstDifference) return Result::Ok;
  const std::uint32_t address = *firstDifference;
  ui_.MessageInfo(FormatText(
      "Die zwei Lesedurchgänge unterscheiden sich !\n\n%s an Adresse 0x%04lX\n"
      "1. Lesen: 0x%02X\n2. Lesen: 0x%02X\n\nEs wurde nichts gespeichert.",
      area == MemoryArea::ProgramMemory ? "Programmspeicher" : "Daten-EEPROM",
      static_cast<unsigned long>(address), static_cast<unsigned>(first[address - cells.first]),
      static_cast<unsigned>(image_.bytes[address])));
  return Result::NotBlankOrReadOut;
}

ResultCode ReadOut::ReadArea(MemoryArea area, bool askSocket) {
  const std::uint64_t timeouts = power_.LinkTimeouts();
  power_.SafeState();
  if (area == MemoryArea::ProgramMemory && askSocket &&
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
  return power_.LinkTimeouts() != timeouts ? Result::HandshakeTimeout : Result::Ok;
}

}  // namespace ferolith
