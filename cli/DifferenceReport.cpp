#include "cli/DifferenceReport.h"

#include <bit>

#include "cli/CliTexts.h"
#include "core/TextFormat.h"

namespace ferolith::cli {

void DifferenceReport::Add(const ComparedCell& cell) {
  ++compared_;
  if (cell.read == cell.expected) return;
  ++differing_;
  const auto flipped = static_cast<std::uint8_t>(cell.read ^ cell.expected);
  oneForZero_ += static_cast<unsigned>(std::popcount(static_cast<std::uint8_t>(flipped & cell.read)));
  zeroForOne_ += static_cast<unsigned>(std::popcount(static_cast<std::uint8_t>(flipped & cell.expected)));
  allReadFF_ = allReadFF_ && cell.read == 0xFF;
  allRead00_ = allRead00_ && cell.read == 0x00;
  if (first_.size() < kListed) first_.push_back(cell);
}

std::string DifferenceReport::Text() const {
  if (differing_ == 0) return "";
  std::string text = FormatText(texts::kDifferenceHeading, static_cast<unsigned long long>(compared_),
                                static_cast<unsigned long long>(differing_)) +
                     '\n';
  for (const ComparedCell& cell : first_) {
    text += FormatText(texts::kDifferenceCell,
                       cell.area == MemoryArea::ProgramMemory ? texts::kCodeArea : texts::kDataArea,
                       static_cast<unsigned>(cell.address), static_cast<unsigned>(cell.expected),
                       static_cast<unsigned>(cell.read)) +
            '\n';
  }
  if (differing_ > first_.size()) {
    text += FormatText(texts::kDifferenceMore, static_cast<unsigned long long>(differing_ - first_.size())) +
            '\n';
  }
  text += FormatText(texts::kDifferenceBits, static_cast<unsigned long long>(oneForZero_),
                     static_cast<unsigned long long>(zeroForOne_)) +
          '\n';
  if (allReadFF_) text += std::string(texts::kDifferenceAllFF) + '\n';
  if (allRead00_) text += std::string(texts::kDifferenceAll00) + '\n';
  return text;
}

}  // namespace ferolith::cli
