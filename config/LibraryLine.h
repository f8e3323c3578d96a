#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ResultCode.h"

namespace ferolith {

// The line rules of the device library. A line is given as read, with its
// newline when it had one; its record flag is the character just before its
// last character.

// A manufacturer line begins with ':'.
bool IsManufacturerLine(std::string_view line);
// True when the record flag is 'Y' or 'y'; a line shorter than two
// characters has no flag.
bool RecordFlagCounts(std::string_view line);
// The text after the ':' up to the first ';', or, without a ';', up to but
// not including the line's last two characters.
std::string ManufacturerName(std::string_view line);

// Splits a device line into its ';'-terminated columns. The record flag and
// the character after it are never part of a column.
class FieldReader {
 public:
  explicit FieldReader(std::string_view line) : line_(line) {}

  // The next column's text (without its ';') and Result::Ok; or
  // Result::LibraryError when the line ends before the column's ';'.
  ResultCode NextField(std::string& text);

 private:
  std::string_view line_;
  std::size_t position_ = 0;
};

}  // namespace ferolith
