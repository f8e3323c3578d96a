#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "port/PortIo.h"

namespace ferolith::testing {

// One register write as the host starts it: the register number, the byte,
// and its place in the host's traffic (1 for the first register write that
// went through the decorator).
struct HostWrite {
  int reg;
  std::uint8_t value;
  std::uint64_t index;
};

// Picks register writes; may keep state of its own to follow a sequence.
using WriteSelector = std::function<bool(const HostWrite&)>;

// A port in front of the programmer that breaks the host's traffic on
// purpose, so that tests can prove the simulator refuses a wrong sequence.
// It follows the host's register writes (data port, register number with
// the strobe low, the wait for ready, the strobe, the wait for taken) and
// passes everything through unchanged until a fault picks a write:
//  - Drop: the write never reaches the programmer; the decorator answers
//    the host's waits itself, so the host goes on as if it had gone out.
//    Dropping a write whose change the next write to the same register
//    carries merges the two.
//  - Delay: the write is held back and sent whole right after the first
//    later write that `until` picks (the order changes).
//  - SkipWaits: the write goes out, but the decorator answers the host's
//    waits at once, before the programmer has confirmed anything (the
//    handshake is cut short).
//  - SwapStatusBits: two bits of every status byte the host reads are
//    swapped (two input lines crossed).
// The first fault whose selector picks a write applies to it.
class FaultyPort final : public PortIo {
 public:
  FaultyPort(PortIo& programmer, std::uint16_t base);

  void Drop(WriteSelector which);
  void Delay(WriteSelector which, WriteSelector until);
  void SkipWaits(WriteSelector which);
  void SwapStatusBits(int first, int second);

  // Register writes a fault has picked, and status bytes it changed, so far.
  int Broken() const { return broken_; }

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

 private:
  enum class Fault { None, Drop, Delay, SkipWaits };
  struct Rule {
    Fault fault;
    WriteSelector which;
    WriteSelector until;
  };
  struct Held {
    HostWrite write;
    WriteSelector until;
    bool due = false;  // its `until` write has gone out
  };

  void StartWrite(std::uint8_t control);
  void SendDueWrites();
  void MarkDueWrites(const HostWrite& write);
  void SendWhole(const HostWrite& write);
  std::uint8_t Swapped(std::uint8_t status) const;
  bool Answering() const;

  PortIo& programmer_;
  std::uint16_t base_;
  std::vector<Rule> rules_;
  std::vector<Held> held_;
  std::optional<std::uint8_t> pendingData_;
  std::uint8_t lastData_ = 0;
  std::uint8_t lastStatus_ = 0x80;
  std::uint64_t writes_ = 0;
  Fault current_ = Fault::None;
  bool open_ = false;
  bool strobed_ = false;
  int broken_ = 0;
  int swapFirst_ = -1;
  int swapSecond_ = -1;
};

}  // namespace ferolith::testing
