#include "platform/Priority.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>

#include <sys/resource.h>
#endif

namespace ferolith {

#ifdef _WIN32

PriorityGuard::PriorityGuard(unsigned osId) {
  const bool ntFamily = osId >= 4 && osId <= 8;
  SetPriorityClass(GetCurrentProcess(), ntFamily ? HIGH_PRIORITY_CLASS : REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(),
                    ntFamily ? THREAD_PRIORITY_HIGHEST : THREAD_PRIORITY_TIME_CRITICAL);
  raised_ = true;
}

PriorityGuard::~PriorityGuard() {
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

#else

namespace {
// A raised nice level rather than a real-time class: the link busy-polls
// the port, and a real-time busy loop would starve the rest of the desktop.
constexpr int kRaisedNice = -10;
}  // namespace

PriorityGuard::PriorityGuard(unsigned /*osId*/) {
  errno = 0;
  previous_ = ::getpriority(PRIO_PROCESS, 0);
  if (errno != 0) return;
  raised_ = previous_ > kRaisedNice && ::setpriority(PRIO_PROCESS, 0, kRaisedNice) == 0;
}

PriorityGuard::~PriorityGuard() {
  if (raised_) ::setpriority(PRIO_PROCESS, 0, previous_);
}

#endif

}  // namespace ferolith
