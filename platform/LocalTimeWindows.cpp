// Local time on Windows: the offset is the local calendar fields read as
// UTC, less the moment itself.
#include "platform/LocalTime.h"

namespace ferolith {

LocalTime LocalTimeOf(std::time_t time) {
  LocalTime local;
  localtime_s(&local.fields, &time);
  std::tm asUtc = local.fields;
  local.offsetSeconds = static_cast<long>(_mkgmtime(&asUtc) - time);
  return local;
}

}  // namespace ferolith
