#include "files/FormatDetection.h"

#include <string>
#include <string_view>

#include "core/DataFormat.h"

namespace ferolith {

namespace {

// Position of the second digit of an Intel record's type field.
constexpr std::size_t kIntelTypeDigit = 8;

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

char CharAt(const std::string& line, std::size_t position) {
  return position < line.size() ? line[position] : '\0';
}

int IntelFormat(const std::string& line, TextLineReader& lines) {
  switch (CharAt(line, kIntelTypeDigit)) {
    case '0':
      return DataFormat::Intel8;
    case '4':
      return DataFormat::Intel32;
    case '2': {
      // A segment address record may be followed by a linear one.
      std::string next;
      if (!lines.ReadLine(next)) return DataFormat::Undecided;
      return CharAt(next, kIntelTypeDigit) == '4' ? DataFormat::Intel32 : DataFormat::IntelMCS;
    }
    default:
      return DataFormat::Undecided;
  }
}

int MotorolaFormat(const std::string& line) {
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

int DetectFormat(TextLineReader& lines) {
  int format = DataFormat::Undecided;
  std::string line;
  for (int lineCount = 0; lineCount < 2 && format == DataFormat::Undecided; ++lineCount) {
    if (!lines.ReadLine(line)) break;
    if (LooksBinary(line)) {
      format = DataFormat::Binary;
    } else if (line.front() == ':') {
      format = IntelFormat(line, lines);
    } else if (line.front() == 'S') {
      format = MotorolaFormat(line);
    }
  }
  return format == DataFormat::Undecided ? DataFormat::Binary : format;
}

}  // namespace ferolith
