#include "files/FormatDetection.h"

#include <string>
#include <string_view>

#include "core/DataFormat.h"
#include "files/RecordLines.h"

namespace ferolith {

namespace {

// Position of the second digit of an Intel record's type field.
constexpr std::size_t kIntelTypeDigit = 8;

// The line without the CR and LF at its end.
std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// True when a character other than the line's last two (its line end) is a
// control character or lies above 7-bit ASCII. The line counts up to its
// first NUL byte.
bool LooksBinary(std::string_view line) {
  const std::size_t end = line.find('\0');
  if (end != std::string_view::npos) line = line.substr(0, end);
  for (std::size_t i = 0; i + 2 < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c < 0x20 || c >= 0x80) return true;
  }
  return false;
}

// True when the line, without its line end, holds printable 7-bit text
// (tabs included) and nothing else.
bool IsPlainText(std::string_view line) {
  for (const char each : WithoutLineEnd(line)) {
    const auto c = static_cast<unsigned char>(each);
    if ((c < 0x20 && c != '\t') || c >= 0x80) return false;
  }
  return true;
}

char CharAt(const std::string& line, std::size_t position) {
  return position < line.size() ? line[position] : '\0';
}

DataFormat IntelFormat(const std::string& line, RecordLines& lines) {
  switch (CharAt(line, kIntelTypeDigit)) {
    case '0':
      return DataFormat::Intel8;
    case '4':
      return DataFormat::Intel32;
    case '2': {
      // A segment address record may be followed by a linear one.
      std::string next;
      if (!lines.Next(next)) return DataFormat::IntelMCS;
      return CharAt(next, kIntelTypeDigit) == '4' ? DataFormat::Intel32 : DataFormat::IntelMCS;
    }
    default:
      return DataFormat::Undecided;
  }
}

// An S-record starts with 'S' (or 's') and its type digit.
bool IsSRecordStart(const std::string& line) {
  const char type = CharAt(line, 1);
  return (line.front() == 'S' || line.front() == 's') && type >= '0' && type <= '9';
}

DataFormat MotorolaFormat(const std::string& line) {
  switch (CharAt(line, 1)) {
    case '1':
      return DataFormat::MotorolaS1;
    case '2':
      return DataFormat::MotorolaS2;
    case '3':
      return DataFormat::MotorolaS3;
    default:
      return DataFormat::Undecided;
  }
}

}  // namespace

DataFormat DetectFormat(TextLineReader& reader) {
  RecordLines lines(reader);
  DataFormat format = DataFormat::Undecided;
  bool intelRecords = false;
  bool sRecords = false;
  bool plainText = true;
  int examined = 0;
  std::string line;
  for (; examined < 2 && format == DataFormat::Undecided; ++examined) {
    if (!lines.Next(line)) break;
    if (LooksBinary(line)) {
      format = DataFormat::Binary;
    } else if (line.front() == ':') {
      intelRecords = true;
      format = IntelFormat(line, lines);
    } else if (IsSRecordStart(line)) {
      sRecords = true;
      format = MotorolaFormat(line);
    } else if (!IsPlainText(line)) {
      plainText = false;
    }
  }
  if (format != DataFormat::Undecided) return format;
  // Record text whose first lines name no variant, such as an end record
  // or a header followed by an end record.
  if (intelRecords) return DataFormat::Intel8;
  if (sRecords) return DataFormat::MotorolaS1;
  return examined > 0 && plainText ? DataFormat::Undecided : DataFormat::Binary;
}

}  // namespace ferolith
