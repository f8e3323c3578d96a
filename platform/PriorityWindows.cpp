// Raised scheduling on Windows: the NT family gets the high priority class
// with the highest thread priority, the 95 family (and an unknown system)
// the real-time class with a time-critical thread.
#include <windows.h>

#include "platform/Priority.h"

namespace ferolith {

PriorityGuard::PriorityGuard(unsigned osId) {
  const bool ntFamily = osId >= 4 && osId <= 8;
  SetPriorityClass(GetCurrentProcess(), ntFamily ? HIGH_PRIORITY_CLASS : REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(),
                    ntFamily ? THREAD_PRIORITY_HIGHEST : THREAD_PRIORITY_TIME_CRITICAL);
}

PriorityGuard::~PriorityGuard() {
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

}  // namespace ferolith
