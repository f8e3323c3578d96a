#pragma once

#include <cstdint>

#include "port/PortIo.h"

namespace ferolith {

// Counts the traffic that passes to another port unchanged: the reads of
// the status register (the measure of a handshake) and every write.
class CountingPort final : public PortIo {
 public:
  CountingPort(PortIo& inner, std::uint16_t statusAddress) : inner_(inner), status_(statusAddress) {}

  std::uint8_t Read(std::uint16_t address) override {
    if (address == status_) ++statusReads_;
    return inner_.Read(address);
  }
  void Write(std::uint16_t address, std::uint8_t value) override {
    ++writes_;
    inner_.Write(address, value);
  }

  std::uint64_t StatusReads() const { return statusReads_; }
  std::uint64_t Writes() const { return writes_; }

 private:
  PortIo& inner_;
  std::uint16_t status_;
  std::uint64_t statusReads_ = 0;
  std::uint64_t writes_ = 0;
};

}  // namespace ferolith
