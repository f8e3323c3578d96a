#include "files/IntelHexReader.h"

#include <string>
#include <string_view>

#include "files/HexDigits.h"
#include "files/HexReaderMessages.h"
#include "files/RecordLines.h"

namespace ferolith {

namespace {

constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kEndRecord = 0x01;
constexpr std::uint8_t kSegmentAddressRecord = 0x02;
constexpr std::uint8_t kLinearAddressRecord = 0x04;

// Positions within a record line.
constexpr std::size_t kLengthPos = 1;
constexpr std::size_t kAddressPos = 3;
constexpr std::size_t kTypePos = 7;
constexpr std::size_t kDataPos = 9;
// ':' + length + address + type + checksum.
constexpr std::size_t kFrameLength = 11;

}  // namespace

ResultCode ReadIntelHexFile(TextLineReader& lines, MemoryImage& image, UiServices& ui,
                            bool testChecksum, RecordNotes& notes) {
  image.StartCounting();
  notes = RecordNotes{};
  RecordStore store(image, notes);
  // Added to every data address; set by the segment and linear address records.
  std::uint32_t hexAddressBase = 0;
  RecordLines records(lines);
  std::string line;
  while (records.Next(line)) {
    const std::uint32_t lineNumber = records.LineNumber();
    notes.lastLine = lineNumber;
    notes.lastLineText = line.substr(0, line.find_first_of("\r\n"));
    if (line.front() != ':') {
      ShowLineStartError(ui, lineNumber);
      return Result::FileNotLoaded;
    }
    const std::string_view record = CutLineEnd(line);
    const std::size_t dataLength = HexByte(TextFrom(record, kLengthPos));
    const auto expectedLength = static_cast<std::uint32_t>(2 * dataLength + kFrameLength);
    const auto actualLength = static_cast<std::uint32_t>(record.size());

    // A line too short to hold both digits of its type field is no record.
    if (LeadingHexDigits(TextFrom(record, kTypePos).substr(0, 2)) < 2) {
      ShowLineLengthError(ui, lineNumber, actualLength, expectedLength);
      return Result::FileNotLoaded;
    }
    const std::uint8_t type = HexByte(TextFrom(record, kTypePos));
    if (type == kEndRecord) {
      notes.endRecord = true;
      return Result::Ok;
    }

    if (actualLength != expectedLength) {
      ShowLineLengthError(ui, lineNumber, actualLength, expectedLength);
      return Result::FileNotLoaded;
    }
    if (LeadingHexDigits(record.substr(1)) != record.size() - 1) {
      ShowLineStartError(ui, lineNumber);
      return Result::FileNotLoaded;
    }
    const std::uint32_t address = HexValue(record.substr(kAddressPos), 4);
    if (dataLength == 0) continue;

    std::uint32_t sum = static_cast<std::uint32_t>(dataLength) + type + (address & 0xFF) + (address >> 8);
    for (std::size_t k = 0; k < dataLength; ++k) {
      const std::uint8_t value = HexByte(record.substr(kDataPos + 2 * k));
      sum += value;
      if (type == kDataRecord) {
        // Counted on past 0xFFFF (and past 32 bits) so the range check sees it.
        store.Store(std::uint64_t{hexAddressBase} + address + k, value, lineNumber);
      }
    }
    if (type == kSegmentAddressRecord) {
      hexAddressBase = HexValue(record.substr(kDataPos), 4) * 16u;
    } else if (type == kLinearAddressRecord) {
      hexAddressBase = HexValue(record.substr(kDataPos), 4) * 65536u;
    }

    const std::uint32_t computed = (256u - sum % 256u) % 256u;
    const std::uint32_t read = HexByte(record.substr(kDataPos + 2 * dataLength));
    if (testChecksum && read != computed) {
      ShowChecksumError(ui, lineNumber, read, computed);
      return Result::FileNotLoaded;
    }
  }
  return Result::Ok;
}

}  // namespace ferolith
