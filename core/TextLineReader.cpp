#include "core/TextLineReader.h"

namespace ferolith {

bool TextLineReader::ReadLine(std::string& line) {
  line.clear();
  while (line.size() < kMaxLine) {
    int c = pending_;
    pending_ = EOF;
    if (c == EOF) c = std::fgetc(file_);
    if (c == EOF) break;
    if (c == '\r') {
      const int next = std::fgetc(file_);
      if (next == '\n') {
        c = '\n';
      } else {
        pending_ = next;
      }
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

}  // namespace ferolith
