// Local time on POSIX systems: the C library knows the zone's offset.
#include "platform/LocalTime.h"

namespace ferolith {

LocalTime LocalTimeOf(std::time_t time) {
  LocalTime local;
  localtime_r(&time, &local.fields);
  local.offsetSeconds = local.fields.tm_gmtoff;
  return local;
}

}  // namespace ferolith
