#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port/PortIo.h"
#include "port/PosixCalls.h"

namespace ferolith {

// A parallel port through the Linux ppdev driver (/dev/parportN). The three
// port addresses base, base + 1 and base + 2 become the data, status and
// control ioctls; the status register cannot be written. A failed transfer
// reads as floating lines (0xFF) and is kept in LastError(), so the link
// sees a programmer that does not answer and reports its timeout.
class PpdevPort final : public PortIo {
 public:
  // How long the claim waits for a port that another program holds.
  static constexpr unsigned kClaimMillis = 1000;

  // Opens and claims the device; nullptr with `error` set when it cannot.
  // `busy` (if given) tells whether the reason is another program holding
  // the port: the kernel would make the claim wait until that program lets
  // go, so the claim is given up after kClaimMillis.
  static std::unique_ptr<PpdevPort> Open(const std::string& devicePath, std::uint16_t base,
                                         PosixCalls& calls, std::string& error, bool* busy = nullptr);
  ~PpdevPort() override;
  PpdevPort(const PpdevPort&) = delete;
  PpdevPort& operator=(const PpdevPort&) = delete;

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

  // errno of the last failed transfer, 0 while all succeeded.
  int LastError() const { return lastError_; }

 private:
  PpdevPort(int fd, std::uint16_t base, PosixCalls& calls) : fd_(fd), base_(base), calls_(calls) {}
  bool Transfer(unsigned long request, std::uint8_t& byte);

  int fd_;
  std::uint16_t base_;
  PosixCalls& calls_;
  int lastError_ = 0;
};

}  // namespace ferolith
