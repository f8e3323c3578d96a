#include "core/AccessCount.h"

namespace ferolith {

std::uint32_t AccessCount(std::uint32_t microseconds, std::uint32_t timeBaseKorr) {
  // The settings never hold a correction of 0; a defensive 1 keeps the
  // division defined should a caller pass one anyway.
  const std::uint32_t perAccess = timeBaseKorr == 0 ? 1 : timeBaseKorr;
  const std::uint32_t count = microseconds / perAccess;
  return count == 0 ? 1 : count;
}

}  // namespace ferolith
