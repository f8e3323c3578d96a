#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "port/PortIo.h"
#include "sim/AbsentStatus.h"
#include "sim/SocketDevice.h"

namespace ferolith::sim {

// One access to the port as the host made it.
struct PortAccess {
  enum class Kind : std::uint8_t { Read, Write };
  Kind kind;
  std::uint16_t address;
  std::uint8_t value;

  bool operator==(const PortAccess&) const = default;
};

// One byte the programmer took into one of its registers.
struct RegisterWrite {
  std::uint8_t reg;
  std::uint8_t value;

  bool operator==(const RegisterWrite&) const = default;
};

// What a programmer may hold before the host first touches it: the state a
// run cut short left behind (or whatever a unit just switched on latched).
struct ProgrammerState {
  std::array<std::uint8_t, 8> registers{};  // registers 0, 2, ... 14
  std::uint8_t operatingCode = 0;           // the codes the DAC has latched
  std::uint8_t programmingCode = 0;
  std::uint8_t dataPort = 0;                // the port's data register
  std::uint8_t controlPort = 0;             // the port's control register (strobe, register number)
};

// The programmer on the parallel port, in software.
//
// Port level: the data port is a latch; control bits 1-3 select one of the
// eight write-only registers and bit 0 is the strobe. Status bit 7 answers
// the strobe: it shows 1 (ready) while the strobe is low and 0 (taken) while
// it is high, each a configurable number of status reads after the edge. A
// rising strobe copies the data latch into the selected register. Status
// bits 3-6 carry four of the eight input lines: the low half after a write
// of register 4, the high half after a write of register 8.
//
// The input lines loop back register 10, wired-AND with whatever the device
// in the socket pulls low. Register 4 drives the voltage DAC (clock, data,
// load), register 0 the chip power, register 8 the entry pulse, register 6
// the LOAD line. Every register write advances a virtual clock by a fixed
// time (85 us unless a test sets another), whatever the host's TimeBaseKorr
// assumes.
//
// The model is strict: whatever real hardware would not do, or what the host
// program never does, is recorded as a violation for tests to check:
//  - the handshake: the data port or the register number changed, or the
//    strobe raised again, while the programmer has not yet confirmed the
//    byte it took (status bit 7 shown low after the rising strobe); a strobe
//    raised before the programmer answered ready; control bits 4-7;
//    accesses outside the three port addresses; bits the register map does
//    not use;
//  - power-up, in virtual time: the power bit set before both voltage codes
//    are loaded (an operating and a programming code other than 0), or less
//    than 200 ms after the DAC load that latched them; the entry pulse
//    raised while the power is off, less than 400 ms after the power bit was
//    set, or while LOAD is low; an entry pulse shorter than 1 ms;
//  - power-down: the power bit cleared while the programming voltage is
//    still applied (it must go first).
// None of these fire while the programmer is switched off: nothing listens.
class VirtualProgrammer final : public PortIo {
 public:
  static constexpr std::uint32_t kDefaultMicrosPerWrite = 85;

  explicit VirtualProgrammer(std::uint16_t baseAddress = 0x278);

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

  // The device in the socket (not owned; nullptr for an empty socket). It
  // is told the lines after every register write.
  void Plug(SocketDevice* device);

  // Starts from `state` instead of all zero, every edge of it long settled.
  // Nothing is checked or logged; the device in the socket is told the lines.
  void Preset(const ProgrammerState& state);

  const SocketLines& Lines() const { return lines_; }
  // The byte register `reg` (0, 2, ... 14) holds.
  std::uint8_t Register(int reg) const;
  // The eight input lines as the host would read them now.
  std::uint8_t InputLines() const;
  std::uint16_t DacShiftRegister() const { return dacShift_; }

  std::uint64_t NowMicros() const { return nowMicros_; }
  std::uint64_t RegisterWrites() const { return registerWrites_; }
  std::uint64_t StatusReads() const { return statusReads_; }
  void SetMicrosPerWrite(std::uint32_t micros) { microsPerWrite_ = micros; }

  // Status bit 7 follows a strobe edge on the `reads`-th status read after
  // it (1: at the first read). Values below 1 count as 1.
  void SetAnswerAfterReads(std::uint32_t reads);

  // Faults. An absent or switched-off programmer latches nothing, and the
  // status register reads what the port shows with nobody answering
  // (AbsentStatus::High unless set), so no handshake ever completes.
  void SetAbsent(bool absent);
  void SetAbsentStatus(AbsentStatus status) { absentStatus_ = StatusByteOf(status); }
  // Switches the programmer off right after its `writes`-th register write
  // from now on.
  void SwitchOffAfterWrites(std::uint64_t writes);
  bool SwitchedOn() const { return on_; }
  // Input lines that read 0 (`stuckLow`) or 1 (`stuckHigh`) whatever
  // register 10 holds.
  void SetStuckInputLines(std::uint8_t stuckLow, std::uint8_t stuckHigh);

  // Trace of every port access and of every register the programmer took;
  // off by default, so long runs stay cheap.
  void EnableTrace(bool enabled) { traceOn_ = enabled; }
  const std::vector<PortAccess>& Trace() const { return trace_; }
  const std::vector<RegisterWrite>& RegisterLog() const { return registerLog_; }
  void ClearTrace() {
    trace_.clear();
    registerLog_.clear();
  }

  const std::vector<std::string>& Violations() const { return violations_; }

 private:
  void WriteData(std::uint8_t value);
  void WriteControl(std::uint8_t value);
  void LatchRegister();
  void ApplyRegister(int index, std::uint8_t value);
  void OnPowerEdge(bool on);
  void OnEntryPulseEdge(bool raised);
  void PowerDown();
  void SwitchOn();
  std::uint8_t Status();
  void Violation(std::string text);

  std::uint16_t base_;
  SocketDevice* device_ = nullptr;
  SocketLines lines_;
  std::array<std::uint8_t, 8> registers_{};
  std::uint8_t data_ = 0;
  std::uint8_t control_ = 0;
  std::uint16_t dacShift_ = 0;
  bool highNibble_ = false;

  // Handshake: the level status bit 7 shows, and the reads until it shows
  // the answer to the last strobe edge.
  bool busyLine_ = true;
  std::uint32_t readsUntilAnswer_ = 0;
  std::uint32_t answerAfterReads_ = 1;
  // A byte was taken and the host has not yet been shown the answer.
  bool unconfirmed_ = false;
  int lastRegister_ = 0;
  std::uint8_t absentStatus_ = StatusByteOf(AbsentStatus::High);

  // Virtual times of the power sequence's edges.
  std::uint64_t codesLoadedAt_ = 0;
  std::uint64_t powerOnAt_ = 0;
  std::uint64_t entryPulseAt_ = 0;

  std::uint64_t nowMicros_ = 0;
  std::uint32_t microsPerWrite_ = kDefaultMicrosPerWrite;
  std::uint64_t registerWrites_ = 0;
  std::uint64_t statusReads_ = 0;
  std::uint64_t switchOffAt_ = 0;  // 0: never

  bool on_ = true;
  std::uint8_t stuckLow_ = 0;
  std::uint8_t stuckHigh_ = 0;

  bool traceOn_ = false;
  std::vector<PortAccess> trace_;
  std::vector<RegisterWrite> registerLog_;
  std::vector<std::string> violations_;
};

}  // namespace ferolith::sim
