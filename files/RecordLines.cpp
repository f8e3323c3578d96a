#include "files/RecordLines.h"

namespace ferolith {

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

bool RecordLines::Next(std::string& line) {
  const bool leadIn = lineNumber_ == 0;
  while (lines_.ReadLine(line)) {
    ++lineNumber_;
    if (!leadIn) return true;
    if (lineNumber_ == 1 && line.starts_with(kByteOrderMark)) line.erase(0, kByteOrderMark.size());
    if (!IsBlankLine(line)) return true;
  }
  return false;
}

}  // namespace ferolith
