#pragma once

#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "port/PosixCalls.h"
#include "sim/VirtualProgrammer.h"

namespace ferolith::testing {

// A ppdev device node in software: the data, status and control ioctls go
// to a virtual programmer at `base`. Any one call can be made to fail.
class FakePpdev final : public PosixCalls {
 public:
  static constexpr int kFd = 42;

  FakePpdev(std::string devicePath, sim::VirtualProgrammer& programmer, std::uint16_t base)
      : devicePath_(std::move(devicePath)), programmer_(programmer), base_(base) {}

  // The `n`-th call from now on (1-based, counting open, ioctl and close)
  // fails with `error`.
  void FailCall(int n, int error = EIO) {
    failAt_ = calls_ + n;
    error_ = error;
  }
  int Calls() const { return calls_; }
  int OpenDescriptors() const { return open_; }
  bool Claimed() const { return claimed_; }
  std::vector<unsigned long> Requests() const { return requests_; }

  int Open(const char* path, int) override {
    if (Fails()) return -1;
    if (path != devicePath_) {
      errno = ENOENT;
      return -1;
    }
    ++open_;
    return kFd;
  }

  int Ioctl(int fd, unsigned long request, void* argument) override {
    if (Fails()) return -1;
    if (fd != kFd || open_ == 0) {
      errno = EBADF;
      return -1;
    }
    requests_.push_back(request);
    auto* byte = static_cast<std::uint8_t*>(argument);
    switch (request) {
      case PPCLAIM: claimed_ = true; return 0;
      case PPRELEASE: claimed_ = false; return 0;
      default: break;
    }
    if (!claimed_) {
      errno = EINVAL;
      return -1;
    }
    switch (request) {
      case PPWDATA: programmer_.Write(base_, *byte); return 0;
      case PPRDATA: *byte = programmer_.Read(base_); return 0;
      case PPRSTATUS: *byte = programmer_.Read(static_cast<std::uint16_t>(base_ + 1)); return 0;
      case PPWCONTROL: programmer_.Write(static_cast<std::uint16_t>(base_ + 2), *byte); return 0;
      case PPRCONTROL: *byte = programmer_.Read(static_cast<std::uint16_t>(base_ + 2)); return 0;
      default: errno = ENOTTY; return -1;
    }
  }

  int MayReadWrite(const char* path) override {
    errno = path == devicePath_ ? 0 : ENOENT;
    return errno == 0 ? 0 : -1;
  }

  int Close(int fd) override {
    if (Fails()) return -1;
    if (fd == kFd && open_ > 0) --open_;
    return 0;
  }

 private:
  bool Fails() {
    ++calls_;
    if (calls_ != failAt_) return false;
    errno = error_;
    return true;
  }

  std::string devicePath_;
  sim::VirtualProgrammer& programmer_;
  std::uint16_t base_;
  int calls_ = 0;
  int failAt_ = -1;
  int error_ = EIO;
  int open_ = 0;
  bool claimed_ = false;
  std::vector<unsigned long> requests_;
};

}  // namespace ferolith::testing
