#pragma once

#include <cstdint>

namespace ferolith {

// Time is counted in programmer register writes, each taken to last
// `timeBaseKorr` microseconds. Returns the number of writes that take
// `microseconds`, at least 1.
std::uint32_t AccessCount(std::uint32_t microseconds, std::uint32_t timeBaseKorr);

}  // namespace ferolith
