#pragma once

#include <cstdint>
#include <functional>

#include "core/DataFormat.h"

namespace ferolith {

// One cell a verification compared: the byte expected there and the byte
// read (for a read-out read twice, the first pass's byte and the second's).
struct ComparedCell {
  MemoryArea area = MemoryArea::ProgramMemory;
  std::uint32_t address = 0;
  std::uint8_t expected = 0;
  std::uint8_t read = 0;
};

// Told of every cell compared, equal or not, in the order of the pass.
using CellObserver = std::function<void(const ComparedCell&)>;

}  // namespace ferolith
