// The per-address loops of the chip operations: programming, verifying,
// reading and blank-checking one memory area between power-up and
// power-down.

#include "chip/ChipOperations.h"
#include "core/TextFormat.h"

namespace ferolith {

namespace {
constexpr std::uint8_t kBlankCell = 0xFF;
}  // namespace

ChipOperations::Bounds ChipOperations::AreaBounds(MemoryArea area) const {
  const bool code = area == MemoryArea::ProgramMemory;
  const std::uint32_t start = code ? device_.CodeStart : device_.DataStart;
  const std::uint32_t end = code ? device_.CodeEnd : device_.DataEnd;
  // Command words carry 16-bit addresses and the image has 0x10000 cells.
  return {start, end < MemoryImage::kSize ? end : MemoryImage::kSize, start < MemoryImage::kSize};
}

std::uint8_t ChipOperations::ReadAreaByte(MemoryArea area, std::uint32_t address) {
  return area == MemoryArea::ProgramMemory ? protocol_.ReadCodeByte(address) : protocol_.ReadDataByte(address);
}

// Pipelined reads over one area: a priming read of the first address, then
// for each address a the read of a + 1 (of the first address again after
// the last one), whose byte belongs to a. `visit(a, byte)` returns false to
// stop. A failed read ending stops the loop at that address without a visit;
// its message has been shown. A failed priming read stops the pass too: the
// chip never executed it, so the next read would bring back a stale byte as
// the first address's contents.
template <typename Visit>
void ChipOperations::ReadPipelined(MemoryArea area, Visit visit) {
  const Bounds bounds = AreaBounds(area);
  protocol_.ClearReadErrorFlag();
  if (!bounds.addressable) return;
  ReadAreaByte(area, bounds.start);
  if (protocol_.ReadErrorFlag() != Result::Ok) return;
  for (std::uint32_t address = bounds.start;; ++address) {
    const bool last = address + 1 >= bounds.end;
    const std::uint8_t value = ReadAreaByte(area, last ? bounds.start : address + 1);
    if (protocol_.ReadErrorFlag() != Result::Ok || !visit(address, value) || last) return;
  }
}

std::optional<Answer> ChipOperations::BlankCheckArea(MemoryArea area, std::optional<Answer> answer) {
  ReadPipelined(area, [&](std::uint32_t address, std::uint8_t value) {
    if (value != kBlankCell) {
      const auto shownAddress = static_cast<unsigned long>(address);
      const auto shownValue = static_cast<unsigned>(value);
      answer = ui_.MessageRetryCancel(
          area == MemoryArea::ProgramMemory
              ? FormatText("CodeSpeicher an Adresse 0x%04lX ist nicht leer !\nInhalt 0x%02X\n", shownAddress,
                           shownValue)
              : FormatText("DatenSpeicher an Adresse 0x%04lX ist nicht leer !\nInhalt 0x%02X\n", shownAddress,
                           shownValue));
    }
    progress_.ProgressStep();
    return answer != Answer::Cancel && cancelRequested_ == 0;
  });
  return answer;
}

ResultCode ChipOperations::ProgramCodeMemory() { return ProgramLoop(MemoryArea::ProgramMemory); }
ResultCode ChipOperations::ProgramDataMemory() { return ProgramLoop(MemoryArea::DataEeprom); }
ResultCode ChipOperations::VerifyCodeMemory() { return VerifyLoop(MemoryArea::ProgramMemory); }
ResultCode ChipOperations::VerifyDataMemory() { return VerifyLoop(MemoryArea::DataEeprom); }
ResultCode ChipOperations::ReadCodeMemory() { return ReadLoop(MemoryArea::ProgramMemory); }
ResultCode ChipOperations::ReadDataMemory() { return ReadLoop(MemoryArea::DataEeprom); }

// Every address of the area is written in ascending order, 0xFF cells
// included. Retry in a failure report goes on with the next address; the
// failed one is not written again, and the pass has failed.
ResultCode ChipOperations::ProgramLoop(MemoryArea area) {
  const Bounds bounds = AreaBounds(area);
  progress_.ProgressStart(bounds.end - bounds.start);
  if (!bounds.addressable) return Result::Ok;
  bool failed = false;
  for (std::uint32_t address = bounds.start;; ++address) {
    const std::optional<Answer> answer = WriteCell(area, address);
    failed = failed || answer.has_value();
    progress_.ProgressStep();
    if (address + 1 >= bounds.end || answer == Answer::Cancel || cancelRequested_ != 0) break;
  }
  return failed || cancelRequested_ != 0 ? Result::ProgramFailed : Result::Ok;
}

std::optional<Answer> ChipOperations::WriteCell(MemoryArea area, std::uint32_t address) {
  const bool code = area == MemoryArea::ProgramMemory;
  const std::uint8_t value = image_.bytes[address];
  const ResultCode written =
      code ? protocol_.WriteCodeByte(address, value) : protocol_.WriteDataByte(address, value);
  if (written == Result::Ok) return std::nullopt;
  const auto shown = static_cast<unsigned long>(address);
  return ui_.MessageRetryCancel(
      code ? FormatText("Programmspeicher\n\nProgrammierfehler an Adresse %lu (0x%lX)\n", shown, shown)
           : FormatText("Datenspeicher\n\nProgrammierfehler an Adresse %lu (0x%lX)\n", shown, shown));
}

std::optional<Answer> ChipOperations::CompareCell(MemoryArea area, std::uint32_t address, std::uint8_t value) {
  const std::uint8_t expected = image_.bytes[address];
  if (cellObserver_) cellObserver_({area, address, expected, value});
  if (value == expected) return std::nullopt;
  const auto shown = static_cast<unsigned long>(address);
  const auto shownExpected = static_cast<unsigned>(expected);
  const auto shownValue = static_cast<unsigned>(value);
  return ui_.MessageRetryCancel(
      area == MemoryArea::ProgramMemory
          ? FormatText("Programmspeicher Fehler\nan Adresse %lu (0x%lX) !\nRichtig: 0x%02X\nGelesen: 0x%02X\n", shown,
                       shown, shownExpected, shownValue)
          : FormatText("EEPROM Fehler an Adresse %lu (0x%lX) !\nRichtig: 0x%02X\nGelesen: 0x%02X\n", shown, shown,
                       shownExpected, shownValue));
}

// One read pass finds the cells that differ from the image; only those are
// written and then read back. The cells read equal in the first pass need
// no second look.
ResultCode ChipOperations::ProgramChangedLoop(MemoryArea area) {
  const Bounds bounds = AreaBounds(area);
  progress_.ProgressStart(bounds.end - bounds.start);
  std::vector<std::uint32_t> changed;
  ReadPipelined(area, [&](std::uint32_t address, std::uint8_t value) {
    if (value != image_.bytes[address]) changed.push_back(address);
    progress_.ProgressStep();
    return cancelRequested_ == 0;
  });
  if (cancelRequested_ != 0) return Result::ProgramFailed;
  if (protocol_.ReadErrorFlag() != Result::Ok) return Result::VerifyFailed;
  if (changed.empty()) return Result::Ok;
  progress_.ProgressReset();
  progress_.ProgressStart(static_cast<std::uint32_t>(changed.size()));
  if (!WriteCells(area, changed)) return Result::ProgramFailed;
  return VerifyCells(area, changed) ? Result::Ok : Result::VerifyFailed;
}

bool ChipOperations::WriteCells(MemoryArea area, const std::vector<std::uint32_t>& addresses) {
  bool failed = false;
  for (const std::uint32_t address : addresses) {
    const std::optional<Answer> answer = WriteCell(area, address);
    failed = failed || answer.has_value();
    progress_.ProgressStep();
    if (answer == Answer::Cancel || cancelRequested_ != 0) return false;
  }
  return !failed;
}

// Pipelined as the area reads are: a priming read of the first cell, then
// for each cell the read of the next one (of the first again after the
// last), whose byte belongs to the cell.
bool ChipOperations::VerifyCells(MemoryArea area, const std::vector<std::uint32_t>& addresses) {
  protocol_.ClearReadErrorFlag();
  ReadAreaByte(area, addresses.front());
  if (protocol_.ReadErrorFlag() != Result::Ok) return false;
  std::optional<Answer> answer;
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    const std::uint32_t address = addresses[i];
    const std::uint8_t value = ReadAreaByte(area, addresses[i + 1 < addresses.size() ? i + 1 : 0]);
    if (protocol_.ReadErrorFlag() != Result::Ok) return false;
    if (const std::optional<Answer> mismatch = CompareCell(area, address, value)) answer = mismatch;
    if (answer == Answer::Cancel) return false;
    if (cancelRequested_ != 0) return false;
  }
  return !answer;
}

// The whole area is compared, also the cells the file did not set (they
// are expected blank). Retry goes on, but any mismatch fails the pass.
ResultCode ChipOperations::VerifyLoop(MemoryArea area) {
  const Bounds bounds = AreaBounds(area);
  progress_.ProgressStart(bounds.end - bounds.start);
  std::optional<Answer> answer;  // of the last mismatch box
  ReadPipelined(area, [&](std::uint32_t address, std::uint8_t value) {
    if (const std::optional<Answer> mismatch = CompareCell(area, address, value)) answer = mismatch;
    progress_.ProgressStep();
    return answer != Answer::Cancel && cancelRequested_ == 0;
  });
  const bool failed = protocol_.ReadErrorFlag() != Result::Ok || answer || cancelRequested_ != 0;
  return failed ? Result::VerifyFailed : Result::Ok;
}

// Only the addresses reached before a stop are overwritten; the rest of the
// image keeps its bytes.
ResultCode ChipOperations::ReadLoop(MemoryArea area) {
  const Bounds bounds = AreaBounds(area);
  progress_.ProgressStart(bounds.end - bounds.start);
  ReadPipelined(area, [&](std::uint32_t address, std::uint8_t value) {
    image_.bytes[address] = value;
    progress_.ProgressStep();
    return cancelRequested_ == 0;
  });
  progress_.ProgressReset();
  return Result::Ok;
}

}  // namespace ferolith
