// Raised scheduling on POSIX systems: a lower nice level.
#include "platform/Priority.h"

#include <cerrno>

#include <sys/resource.h>

namespace ferolith {

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

}  // namespace ferolith
