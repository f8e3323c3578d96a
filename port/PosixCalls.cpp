#include "port/PosixCalls.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

namespace ferolith {

namespace {

// The signal that ends a blocking ioctl. Its handler does nothing: the
// signal only has to interrupt a wait that the kernel makes interruptible.
constexpr int kInterruptSignal = SIGALRM;

void Interrupted(int) {}

// A timer that sends kInterruptSignal to the calling thread after
// `milliseconds` and again every `milliseconds` after that, so that a signal
// that comes just before the call has started is followed by one that finds
// it waiting. The previous handler and signal mask come back with it.
class InterruptTimer {
 public:
  explicit InterruptTimer(unsigned milliseconds) {
    struct sigaction quiet {};
    quiet.sa_handler = &Interrupted;
    sigemptyset(&quiet.sa_mask);
    handlerSet_ = sigaction(kInterruptSignal, &quiet, &previous_) == 0;
    sigset_t signal;
    sigemptyset(&signal);
    sigaddset(&signal, kInterruptSignal);
    pthread_sigmask(SIG_UNBLOCK, &signal, &mask_);
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = kInterruptSignal;
    event._sigev_un._tid = gettid();
    armed_ = handlerSet_ && timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    if (!armed_) return;
    const timespec period{static_cast<time_t>(milliseconds / 1000),
                          static_cast<long>(milliseconds % 1000) * 1000000L};
    const itimerspec spec{period, period};
    timer_settime(timer_, 0, &spec, nullptr);
  }
  ~InterruptTimer() {
    // A signal still pending is delivered to the quiet handler before the
    // old one returns.
    if (armed_) timer_delete(timer_);
    pthread_sigmask(SIG_SETMASK, &mask_, nullptr);
    if (handlerSet_) sigaction(kInterruptSignal, &previous_, nullptr);
  }
  InterruptTimer(const InterruptTimer&) = delete;
  InterruptTimer& operator=(const InterruptTimer&) = delete;

 private:
  struct sigaction previous_ {};
  sigset_t mask_{};
  timer_t timer_{};
  bool handlerSet_ = false;
  bool armed_ = false;
};

class SystemCalls final : public PosixCalls {
 public:
  int Open(const char* path, int flags) override { return ::open(path, flags | O_CLOEXEC); }
  int Ioctl(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
  int Close(int fd) override { return ::close(fd); }
  int MayReadWrite(const char* path) override { return ::access(path, R_OK | W_OK); }
  int IoctlWithin(int fd, unsigned long request, void* argument, unsigned milliseconds) override {
    int result = 0;
    int error = 0;
    {
      const InterruptTimer timer(milliseconds);
      result = ::ioctl(fd, request, argument);
      error = errno;
    }
    errno = error;
    return result;
  }
};

}  // namespace

PosixCalls& SystemPosixCalls() {
  static SystemCalls calls;
  return calls;
}

}  // namespace ferolith
