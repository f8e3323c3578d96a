#include "config/LibraryLine.h"

namespace ferolith {

bool IsManufacturerLine(std::string_view line) { return !line.empty() && line.front() == ':'; }

bool RecordFlagCounts(std::string_view line) {
  if (line.size() < 2) return false;
  const char flag = line[line.size() - 2];
  return flag == 'Y' || flag == 'y';
}

std::string ManufacturerName(std::string_view line) {
  if (line.empty()) return {};
  const std::string_view rest = line.substr(1);
  const std::size_t semicolon = rest.find(';');
  if (semicolon != std::string_view::npos) return std::string(rest.substr(0, semicolon));
  const std::size_t withoutFlag = line.size() >= 3 ? line.size() - 3 : 0;
  return std::string(rest.substr(0, withoutFlag));
}

ResultCode FieldReader::NextField(std::string& text) {
  text.clear();
  // Reading may go as far as the record flag at index size - 2; a column
  // whose ';' only that far leaves nothing for the flag and fails.
  const auto passedLast = [this] { return position_ + 2 > line_.size(); };
  if (passedLast()) return Result::LibraryError;
  do {
    const char c = line_[position_++];
    if (c == ';') break;
    text.push_back(c);
  } while (!passedLast());
  return passedLast() ? Result::LibraryError : Result::Ok;
}

}  // namespace ferolith
