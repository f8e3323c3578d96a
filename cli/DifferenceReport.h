#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chip/ComparedCell.h"

namespace ferolith::cli {

// What a failed verification found, for the operator at the bench: the
// cells compared so far, how many differ, the first of them with both
// bytes, and which way their bits went. A wiring or timing fault shows as
// bits flipped both ways at scattered cells; an unerased or unprogrammed
// chip as every difference reading 0xFF (or 0x00 behind read protection).
class DifferenceReport {
 public:
  static constexpr std::size_t kListed = 16;  // differences listed one by one

  void Add(const ComparedCell& cell);
  void Clear() { *this = DifferenceReport(); }

  std::uint64_t Compared() const { return compared_; }
  std::uint64_t Differing() const { return differing_; }
  // The German summary, one line per line break; empty when nothing differs.
  std::string Text() const;

 private:
  std::uint64_t compared_ = 0;
  std::uint64_t differing_ = 0;
  std::uint64_t oneForZero_ = 0;  // bits read 1 where 0 was expected
  std::uint64_t zeroForOne_ = 0;  // bits read 0 where 1 was expected
  bool allReadFF_ = true;         // every differing cell read 0xFF
  bool allRead00_ = true;         // every differing cell read 0x00
  std::vector<ComparedCell> first_;
};

}  // namespace ferolith::cli
