#pragma once

#include <cstdio>
#include <string>

#include "core/TextLineReader.h"
#include "tests/support/TempDir.h"

namespace ferolith::testing {

// A line reader over text held in memory.
class MemoryLines {
 public:
  explicit MemoryLines(const std::string& text) : file_(text), reader_(file_.Get()) {}

  TextLineReader& Reader() { return reader_; }

 private:
  MemoryFile file_;
  TextLineReader reader_;
};

}  // namespace ferolith::testing
