#pragma once

#include <cstdio>
#include <string>

#include "core/TextLineReader.h"

namespace ferolith::testing {

// A line reader over text held in memory.
class MemoryLines {
 public:
  explicit MemoryLines(std::string text)
      : text_(std::move(text)),
        file_(fmemopen(text_.data(), text_.size() == 0 ? 1 : text_.size(), "rb")),
        reader_(file_) {
    if (text_.empty()) std::fgetc(file_);  // an empty buffer reads as at its end
  }
  ~MemoryLines() { std::fclose(file_); }
  MemoryLines(const MemoryLines&) = delete;
  MemoryLines& operator=(const MemoryLines&) = delete;

  TextLineReader& Reader() { return reader_; }

 private:
  std::string text_;
  std::FILE* file_;
  TextLineReader reader_;
};

}  // namespace ferolith::testing
