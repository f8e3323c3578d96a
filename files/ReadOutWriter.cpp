#include "files/ReadOutWriter.h"

#include <algorithm>
#include <span>
#include <string>

#include "files/FileError.h"
#include "files/HexRecordText.h"

namespace ferolith {

namespace {

constexpr std::string_view kIntelLinearRecord = ":020000040000FA\r\n";
constexpr std::string_view kIntelSegmentRecord = ":020000020000FC\r\n";
constexpr std::string_view kIntelEndRecord = ":00000001FF\r\n";
// Header with the text "TORVEX V1.00".
constexpr std::string_view kSRecordHeader = "S00F0000544F525645582056312E3030D3\r\n";
constexpr std::string_view kS1EndRecord = "S9030000FC\r\n";
constexpr std::string_view kS2EndRecord = "S804000000FB\r\n";
constexpr std::string_view kS3EndRecord = "S70500000000FA\r\n";

constexpr const char* kHeaderFailure = "Header-Record der HEX-Datei\nkonnte nicht geschrieben werden.";
constexpr const char* kEndFailure = "Endemarkierung der HEX-Datei\nkonnte nicht geschrieben werden.";
constexpr const char* kRecordFailure = "Hex-Zeile konnte nicht geschrieben werden";

constexpr std::uint8_t kBlank = 0xFF;

}  // namespace

std::uint32_t ReadOutWriter::AreaStart(MemoryArea area) const {
  return area == MemoryArea::ProgramMemory ? device_.CodeStart : device_.DataStart;
}

std::uint32_t ReadOutWriter::AreaSize(MemoryArea area) const {
  return area == MemoryArea::ProgramMemory ? device_.CodeSize : device_.DataSize;
}

ResultCode ReadOutWriter::WriteBinaryImage(MemoryArea area) {
  const std::uint32_t areaEnd = area == MemoryArea::ProgramMemory ? device_.CodeEnd : device_.DataEnd;
  const auto begin = image_.bytes.begin();
  auto end = begin + std::min(areaEnd, MemoryImage::kSize);
  if (settings_.FFSave == 0) {
    const auto lastUsed = std::find_if(std::make_reverse_iterator(end), image_.bytes.rend(),
                                       [](std::uint8_t value) { return value != kBlank; });
    end = lastUsed.base();
    if (end == begin) {
      if (area == MemoryArea::ProgramMemory) {
        ui_.MessageInfo(
            "Der Baustein enthält nur Leerzellen !!\n\nSpeichervorgang abgebrochen.\n\n"
            "Wenn eine Leerzellen-Datei geschrieben werden\nsoll, ** Leerzellen speichern ** aktivieren !");
        return Result::NotBlankOrReadOut;
      }
      end = begin + 1;  // a blank data EEPROM is saved as one blank byte
    }
  }
  const std::string_view bytes(reinterpret_cast<const char*>(image_.bytes.data()),
                               static_cast<std::size_t>(end - begin));
  if (!output_.Write(bytes)) {
    ShowFileError(ui_, output_.Target(), output_.Error());
    return Result::NotBlankOrReadOut;
  }
  return Result::Ok;
}

bool ReadOutWriter::WriteFixedRecord(std::string_view record, const char* failure) {
  if (output_.Write(record)) return true;
  const int error = output_.Error();
  output_.Discard();
  ui_.MessageInfo(failure);
  ShowFileError(ui_, output_.Target(), error);
  return false;
}

ResultCode ReadOutWriter::WriteIntelFile(MemoryArea area) {
  const DataFormat format = settings_.DataFormat;
  if (format == DataFormat::Intel32 && !WriteFixedRecord(kIntelLinearRecord, kHeaderFailure)) {
    return Result::NotBlankOrReadOut;
  }
  if ((format == DataFormat::Intel32 || format == DataFormat::IntelMCS) &&
      !WriteFixedRecord(kIntelSegmentRecord, kHeaderFailure)) {
    return Result::NotBlankOrReadOut;
  }
  if (WriteIntelRecords(AreaStart(area), AreaSize(area)) != Result::Ok) return Result::NotBlankOrReadOut;
  if (!WriteFixedRecord(kIntelEndRecord, kEndFailure)) return Result::NotBlankOrReadOut;
  return Result::Ok;
}

ResultCode ReadOutWriter::WriteMotorolaFile(MemoryArea area) {
  if (!WriteFixedRecord(kSRecordHeader, kHeaderFailure)) return Result::NotBlankOrReadOut;
  const std::uint32_t start = AreaStart(area);
  const std::uint32_t size = AreaSize(area);
  ResultCode result = Result::Ok;
  std::string_view endRecord;
  switch (settings_.DataFormat) {
    case DataFormat::MotorolaS2:
      result = WriteS2Records(0, 0);
      if (result == Result::Ok) result = WriteS2Records(start, size);
      endRecord = kS2EndRecord;
      break;
    case DataFormat::MotorolaS3:
      result = WriteS3Records(0, 0);
      if (result == Result::Ok) result = WriteS3Records(start, size);
      endRecord = kS3EndRecord;
      break;
    default:
      result = WriteS1Records(start, size);
      endRecord = kS1EndRecord;
      break;
  }
  if (result != Result::Ok) return Result::NotBlankOrReadOut;
  if (!WriteFixedRecord(endRecord, kEndFailure)) return Result::NotBlankOrReadOut;
  return Result::Ok;
}

ResultCode ReadOutWriter::WriteIntelRecords(std::uint32_t start, std::uint32_t count) {
  return WriteRecords(RecordKind::Intel, start, count);
}
ResultCode ReadOutWriter::WriteS1Records(std::uint32_t start, std::uint32_t count) {
  return WriteRecords(RecordKind::S1, start, count);
}
ResultCode ReadOutWriter::WriteS2Records(std::uint32_t start, std::uint32_t count) {
  return WriteRecords(RecordKind::S2, start, count);
}
ResultCode ReadOutWriter::WriteS3Records(std::uint32_t start, std::uint32_t count) {
  return WriteRecords(RecordKind::S3, start, count);
}

ResultCode ReadOutWriter::WriteRecords(RecordKind kind, std::uint32_t start, std::uint32_t count) {
  // S-records carry address, data and checksum in a count byte of at most
  // 0xFF; Intel records carry up to 0xFF data bytes.
  const std::uint32_t addressBytes = kind == RecordKind::Intel ? 0u
                                     : kind == RecordKind::S1  ? 2u
                                     : kind == RecordKind::S2  ? 3u
                                                               : 4u;
  const std::uint32_t maxData = kind == RecordKind::Intel ? 0xFFu : 0xFFu - addressBytes - 1u;
  const std::uint32_t lineLength = std::clamp<std::uint32_t>(settings_.HexLineLen, 1u, maxData);
  // Never read past the image, whatever range the device claims.
  const std::uint32_t first = std::min(start, MemoryImage::kSize);
  count = std::min(count, MemoryImage::kSize - first);

  std::string text;
  text.reserve((count / lineLength + 1) * (2 * lineLength + 16));
  std::uint32_t offset = 0;
  std::uint32_t remaining = count;
  do {
    const std::uint32_t n = std::min(remaining, lineLength);
    const std::span<const std::uint8_t> data(image_.bytes.data() + first + offset, n);
    const auto blanks = static_cast<std::uint32_t>(std::count(data.begin(), data.end(), kBlank));
    if (blanks < lineLength || settings_.FFSave != 0) {
      const std::uint32_t address = start + offset;
      if (kind == RecordKind::Intel) {
        AppendIntelRecord(text, static_cast<std::uint16_t>(address), 0x00, data);
      } else {
        const char typeDigit = static_cast<char>('0' + addressBytes - 1);
        AppendSRecord(text, typeDigit, addressBytes, address, data);
      }
    }
    offset += lineLength;
    remaining = remaining > lineLength ? remaining - lineLength : 0;
  } while (remaining > 0);

  if (!output_.Write(text)) {
    ui_.MessageInfo(kRecordFailure);
    return Result::NotBlankOrReadOut;
  }
  return Result::Ok;
}

}  // namespace ferolith
