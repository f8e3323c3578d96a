#pragma once

#include <ctime>

namespace ferolith {

// A moment in the machine's time zone: its calendar fields and how far the
// zone is ahead of UTC at that moment (daylight saving included).
struct LocalTime {
  std::tm fields{};
  long offsetSeconds = 0;
};

LocalTime LocalTimeOf(std::time_t time);

}  // namespace ferolith
