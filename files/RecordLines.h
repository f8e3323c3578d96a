#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/TextLineReader.h"

namespace ferolith {

// True for a line of nothing but blanks, tabs and its line end.
bool IsBlankLine(std::string_view line);

// The lines of a HEX file as the format detection and the record readers
// see them: a UTF-8 byte-order mark at the start of the file and the blank
// lines before the first record are passed over, as editors write them.
// Line numbers keep counting the file's own lines, so messages name the line
// the user sees in the editor.
class RecordLines {
 public:
  explicit RecordLines(TextLineReader& lines) : lines_(lines) {}

  // The next line; the first call skips the lead-in. False at the end of
  // the file.
  bool Next(std::string& line);
  // The 1-based number in the file of the line Next returned last.
  std::uint32_t LineNumber() const { return lineNumber_; }

 private:
  TextLineReader& lines_;
  std::uint32_t lineNumber_ = 0;
};

}  // namespace ferolith
