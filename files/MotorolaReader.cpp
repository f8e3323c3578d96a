#include "files/MotorolaReader.h"

#include <string>
#include <string_view>

#include "files/HexDigits.h"
#include "files/HexReaderMessages.h"
#include "files/RecordLines.h"

namespace ferolith {

namespace {

constexpr std::size_t kCountPos = 2;
constexpr std::size_t kAddressPos = 4;

bool StartsWithAny(std::string_view line, std::initializer_list<std::string_view> marks) {
  for (const std::string_view mark : marks) {
    if (line.starts_with(mark)) return true;
  }
  return false;
}

// Address width in bytes of the data record types S1, S2 and S3.
std::uint32_t AddressWidth(char typeDigit) {
  return static_cast<std::uint32_t>(typeDigit - '1') + 2u;
}

}  // namespace

ResultCode ReadMotorolaFile(TextLineReader& lines, MemoryImage& image, UiServices& ui,
                            bool testChecksum, RecordNotes& notes) {
  image.StartCounting();
  notes = RecordNotes{};
  RecordStore store(image, notes);
  RecordLines records(lines);
  std::string line;
  while (records.Next(line)) {
    const std::uint32_t lineNumber = records.LineNumber();
    notes.lastLine = lineNumber;
    notes.lastLineText = line.substr(0, line.find_first_of("\r\n"));
    // The record mark may be written in lower case.
    if (line.front() == 's') line.front() = 'S';
    if (StartsWithAny(line, {"S9", "S8", "S7"})) {
      notes.endRecord = true;
      return Result::Ok;
    }
    if (line.starts_with("S0")) continue;
    if (!StartsWithAny(line, {"S1", "S2", "S3"})) {
      ShowLineStartError(ui, lineNumber);
      return Result::FileNotLoaded;
    }
    const std::uint32_t width = AddressWidth(line[1]);
    const std::uint32_t count = HexByte(TextFrom(line, kCountPos));
    const std::string_view record = CutLineEnd(line);
    const auto actualLength = static_cast<std::uint32_t>(record.size());
    if (actualLength != 2 * count + 4) {
      ShowLineLengthError(ui, lineNumber, actualLength, 2 * count + 4);
      return Result::FileNotLoaded;
    }
    // The count must at least cover the address and the checksum; the
    // shortest record of this type is reported as the expected length.
    if (count < width + 1) {
      ShowLineLengthError(ui, lineNumber, actualLength, 2 * (width + 1) + 4);
      return Result::FileNotLoaded;
    }
    if (LeadingHexDigits(record.substr(kCountPos)) != record.size() - kCountPos) {
      ShowLineStartError(ui, lineNumber);
      return Result::FileNotLoaded;
    }

    const std::uint32_t address = HexValue(record.substr(kAddressPos), 2 * width);
    std::uint32_t sum = count;
    for (std::uint32_t i = 0; i < width; ++i) sum += (address >> (8 * i)) & 0xFF;
    const std::uint32_t dataCount = count - width - 1;
    if (dataCount == 0) continue;

    const std::size_t dataPos = kAddressPos + 2 * width;
    for (std::uint32_t k = 0; k < dataCount; ++k) {
      const std::uint8_t value = HexByte(record.substr(dataPos + 2 * k));
      sum += value;
      store.Store(std::uint64_t{address} + k, value, lineNumber);
    }
    const std::uint32_t computed = 255u - sum % 256u;
    const std::uint32_t read = HexByte(record.substr(kCountPos + 2 * count));
    if (testChecksum && read != computed) {
      ShowChecksumError(ui, lineNumber, read, computed);
      return Result::FileNotLoaded;
    }
  }
  return Result::Ok;
}

}  // namespace ferolith
