// Raised scheduling on Windows: the known 95 family (OsId 1..3: 95, 98, ME)
// gets the real-time class with a time-critical thread; every other system
// the high priority class with the highest thread priority. The NT family
// known or not belongs there (every Windows after Server 2003 is OsId 0):
// the link busy-polls the port for as long as a pass lasts, and a
// real-time busy loop would starve the whole desktop, mouse included.
#include <windows.h>

#include "platform/Priority.h"

namespace ferolith {

PriorityGuard::PriorityGuard(unsigned osId) {
  const bool family95 = osId >= 1 && osId <= 3;
  SetPriorityClass(GetCurrentProcess(), family95 ? REALTIME_PRIORITY_CLASS : HIGH_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), family95 ? THREAD_PRIORITY_TIME_CRITICAL : THREAD_PRIORITY_HIGHEST);
}

PriorityGuard::~PriorityGuard() {
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

}  // namespace ferolith
