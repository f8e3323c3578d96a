#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port/PortIo.h"

namespace ferolith {

// Direct port instructions on Linux/x86 after ioperm has granted exactly the
// three addresses base..base + 2 (root or CAP_SYS_RAWIO). Any other address
// would fault, so it is refused: reads see floating lines, writes go nowhere.
class DirectIoPort final : public PortIo {
 public:
  // Nullptr with `error` set when the kernel refuses access.
  static std::unique_ptr<DirectIoPort> Open(std::uint16_t base, std::string& error);
  ~DirectIoPort() override;
  DirectIoPort(const DirectIoPort&) = delete;
  DirectIoPort& operator=(const DirectIoPort&) = delete;

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

 private:
  explicit DirectIoPort(std::uint16_t base) : base_(base) {}
  bool Owns(std::uint16_t address) const { return address >= base_ && address - base_ < 3; }

  std::uint16_t base_;
};

}  // namespace ferolith
