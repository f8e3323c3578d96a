#pragma once

#include <cstdint>

#include "chip/ChipLines.h"
#include "core/DeviceEntry.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"
#include "link/RegisterLink.h"

namespace ferolith {

// The ACE chip's serial command protocol: every access is one 32-bit
// command word shifted in on the package's CLK line with LOAD = 1, followed
// by an ending on LOAD. All lines change through the register shadows of the
// link. Preconditions: programming mode entered, LOAD = 1, CLK = 0; every
// operation, successful or not, leaves LOAD = 1 and CLK = 0.
//
// Reads are pipelined: a read command returns the byte of the address named
// by the previous read command. Callers start a sequence with a priming read
// and collect the last byte with one extra read.
class AceProtocol {
 public:
  AceProtocol(RegisterLink& link, UiServices& ui, const DeviceEntry& device);

  // Shifts `word` in, most significant bit first, and returns the 32
  // SerialOut samples taken before each clock pulse (bit 31 = first sample).
  std::uint32_t ShiftCommandWord(std::uint32_t word);
  // Ending of a write: Ok, or ProgramFailed after its message.
  ResultCode FinishWrite();
  // Ending of a read: Ok, or VerifyFailed after its message.
  ResultCode FinishRead();

  ResultCode WriteCodeByte(std::uint32_t address, std::uint8_t value);
  std::uint8_t ReadCodeByte(std::uint32_t address);
  ResultCode WriteDataByte(std::uint32_t address, std::uint8_t value);
  std::uint8_t ReadDataByte(std::uint32_t address);
  ResultCode WriteInitRegister1(std::uint8_t value);
  std::uint8_t ReadInitRegister1();

  // Ok, or VerifyFailed when the ending of the last read command failed. Every read
  // assigns it; callers clear it before a sequence of reads.
  ResultCode ReadErrorFlag() const { return readErrorFlag_; }
  void ClearReadErrorFlag() { readErrorFlag_ = Result::Ok; }

 private:
  ResultCode WriteByte(std::uint8_t code, std::uint32_t address, std::uint8_t value);
  std::uint8_t ReadByte(std::uint8_t code, std::uint32_t address);
  void ClockPulse(Line clock);
  bool SerialOutHigh(const ChipLines& lines);
  ResultCode FailEnding(const char* message, ResultCode result);

  RegisterLink& link_;
  UiServices& ui_;
  const DeviceEntry& device_;
  ResultCode readErrorFlag_ = Result::Ok;
};

}  // namespace ferolith
