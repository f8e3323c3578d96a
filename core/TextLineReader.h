#pragma once

#include <cstdio>
#include <string>

namespace ferolith {

// Reads a text file line by line the way the program's file formats were
// defined: a line is read up to and including its line feed, at most 1023
// characters (a longer line arrives as several lines), and a carriage return
// just before the line feed is dropped, so CR LF files read like LF files.
// Bytes are kept as they are, NUL included.
class TextLineReader {
 public:
  static constexpr std::size_t kMaxLine = 1023;

  explicit TextLineReader(std::FILE* file) : file_(file) {}

  // The next line into `line`; false at the end of the file.
  bool ReadLine(std::string& line);

 private:
  std::FILE* file_;
  int pending_ = EOF;  // one character read ahead after a lone CR
};

}  // namespace ferolith
