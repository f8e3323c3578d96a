#include "port/PpdevPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
// After sys/ioctl.h, which defines the request macros it uses.
#include <linux/ppdev.h>

#include <cerrno>
#include <cstring>

namespace ferolith {

namespace {

constexpr std::uint8_t kFloating = 0xFF;

std::string Describe(const std::string& what, int error) { return what + ": " + std::strerror(error); }

}  // namespace

std::unique_ptr<PpdevPort> PpdevPort::Open(const std::string& devicePath, std::uint16_t base,
                                           PosixCalls& calls, std::string& error, bool* busy) {
  const int fd = calls.Open(devicePath.c_str(), O_RDWR);
  if (fd < 0) {
    error = Describe(devicePath, errno);
    return nullptr;
  }
  if (calls.IoctlWithin(fd, PPCLAIM, nullptr, kClaimMillis) != 0) {
    const int claimError = errno;
    error = claimError == EINTR
                ? devicePath + ": belegt, ein anderes Programm benutzt die Schnittstelle"
                : Describe(devicePath + " (PPCLAIM)", claimError);
    if (busy != nullptr) *busy = claimError == EINTR;
    // Closing also takes the device off the port's waiting list.
    calls.Close(fd);
    return nullptr;
  }
  return std::unique_ptr<PpdevPort>(new PpdevPort(fd, base, calls));
}

PpdevPort::~PpdevPort() {
  // Nothing can be done about a failing release on the way out; the kernel
  // releases the port with the descriptor anyway.
  calls_.Ioctl(fd_, PPRELEASE, nullptr);
  calls_.Close(fd_);
}

bool PpdevPort::Transfer(unsigned long request, std::uint8_t& byte) {
  if (calls_.Ioctl(fd_, request, &byte) == 0) return true;
  lastError_ = errno;
  return false;
}

std::uint8_t PpdevPort::Read(std::uint16_t address) {
  std::uint8_t byte = kFloating;
  bool ok = false;
  switch (address - base_) {
    case 0: ok = Transfer(PPRDATA, byte); break;
    case 1: ok = Transfer(PPRSTATUS, byte); break;
    case 2: ok = Transfer(PPRCONTROL, byte); break;
    default: break;
  }
  return ok ? byte : kFloating;
}

void PpdevPort::Write(std::uint16_t address, std::uint8_t value) {
  switch (address - base_) {
    case 0: Transfer(PPWDATA, value); break;
    case 2: Transfer(PPWCONTROL, value); break;
    default: break;  // the status register is read-only; other addresses are not this port
  }
}

}  // namespace ferolith
