#pragma once

#include <array>
#include <cstdint>

#include "core/PumpPacer.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "port/PortIo.h"

namespace ferolith {

// Register numbers of the programmer and the bits the program uses.
namespace Reg {
inline constexpr int R0 = 0, R2 = 2, R4 = 4, R6 = 6, R8 = 8, R10 = 10, R12 = 12, R14 = 14;
}  // namespace Reg

// One output line of the programmer: a bit of a register that has a shadow.
struct Line {
  int reg;
  std::uint8_t bit;
};

// The programmer's lines, by name. The serial data line and LOAD are the
// same for both packages; CLK and SerialOut depend on it. The input value
// reads register 10 back, so a SerialOut line's bit is also where the chip's
// SerialOut shows in the input value.
namespace Lines {
inline constexpr Line Power{Reg::R0, 0x20};           // chip power
inline constexpr Line DacClock{Reg::R4, 0x01};        // voltage DAC: shift clock
inline constexpr Line DacData{Reg::R4, 0x02};         // voltage DAC: data
inline constexpr Line DacLoad{Reg::R4, 0x04};         // voltage DAC: latch the two codes
inline constexpr Line Timing{Reg::R4, 0x20};          // the timing bit of pulses and delays
inline constexpr Line Load{Reg::R6, 0x10};            // LOAD of the chip's serial interface
inline constexpr Line EntryPulse{Reg::R8, 0x08};      // programming-mode entry pulse
inline constexpr Line SerialData{Reg::R10, 0x01};     // serial data to the chip
inline constexpr Line ClockDip14{Reg::R10, 0x08};     // CLK of a DIP14 chip
inline constexpr Line ClockDip8{Reg::R10, 0x40};      // CLK of a DIP8 chip
inline constexpr Line SerialOutDip14{Reg::R10, 0x40}; // SerialOut pull-up of a DIP14 chip
inline constexpr Line SerialOutDip8{Reg::R10, 0x80};  // SerialOut pull-up of a DIP8 chip
}  // namespace Lines

// What detection writes to register 10 and expects back on the input
// lines, in this order.
inline constexpr std::array<std::uint8_t, 3> kLoopBackPatterns = {0x00, 0xAA, 0x55};

// Host copies of the write-only registers 0, 4, 6, 8 and 10.
struct RegisterShadow {
  std::uint8_t reg0 = 0;
  std::uint8_t reg4 = 0;
  std::uint8_t reg6 = 0;
  std::uint8_t reg8 = 0;
  std::uint8_t reg10 = 0;

  // The shadow byte of register 0, 4, 6, 8 or 10.
  std::uint8_t& Of(int reg);
};

// The register link to the programmer over the parallel port: register
// writes with the strobe/busy handshake, the input read, timing counted in
// register writes, and detection. Port addresses, TimeOut and TimeBaseKorr
// are read from the settings at every use, so changes apply at once.
class RegisterLink {
 public:
  RegisterLink(PortIo& port, UiServices& ui, const Settings& settings);

  // Writes `value` to register `reg` (even, 0..14). Ok, or HandshakeTimeout
  // after the timeout message.
  ResultCode WriteRegister(int reg, std::uint8_t value);
  // Writes the shadow byte of register 0, 4, 6, 8 or 10 to its register.
  ResultCode WriteShadow(int reg);
  // Line changes: the bits change in the shadow, then the whole shadow byte
  // goes to its register; the result is that write's.
  ResultCode Raise(Line line) { return Drive(line, true); }
  ResultCode Lower(Line line) { return Drive(line, false); }
  ResultCode Drive(Line line, bool high);
  // Keeps only the bits of `mask` in the shadow of `reg` and writes it.
  ResultCode KeepBits(int reg, std::uint8_t mask);
  // The 8-bit input value, composed from the status nibbles of two writes.
  std::uint8_t ReadInput();
  // `count` pulses on the timing bit; always Ok.
  ResultCode PulseTimingBit(std::uint32_t count);
  // Waits `milliseconds` counted in register writes; Ok, or DelayCutShort
  // at the first failed write.
  ResultCode DelayMs(std::uint32_t milliseconds);
  // Register writes that take `microseconds`, at least 1.
  std::uint32_t AccessCount(std::uint32_t microseconds) const;
  // Ok when found, ProgrammerNotFound (a failed wake-up write or
  // loop-back), HandshakeTimeout when the initial strobe is not answered.
  // Made of the four steps below, which the port probe runs one by one.
  ResultCode DetectProgrammer();
  // Detection's start: the shadows and the control byte cleared, the lone
  // strobe, and the wait for the programmer's answer; Ok or HandshakeTimeout.
  ResultCode AnswerLoneStrobe();
  // Detection's wake-up writes of 0x80 to registers 12 and 14; Ok, or
  // ProgrammerNotFound at the first that fails.
  ResultCode WakeProgrammer();
  // Registers 6, 2, 0, 8 and 4 written with 0 (their shadows cleared first
  // where detection clears them).
  void ClearRegisters();
  // Writes `pattern` to register 10 and reads the input lines back.
  std::uint8_t LoopBack(std::uint8_t pattern);
  // Shows the handshake timeout message and counts it.
  void ShowTimeoutMessage();
  // Handshake timeouts met so far. A step that carried on after one has not
  // done everything it should, whatever its own result says.
  std::uint64_t Timeouts() const { return timeouts_; }

  RegisterShadow& Shadow() { return shadow_; }
  const RegisterShadow& Shadow() const { return shadow_; }
  std::uint8_t ControlByte() const { return control_; }
  std::uint8_t LastStatus() const { return lastStatus_; }

  // Points the link at another port: the program's one port whenever it
  // replaces it (start-up, a changed port address, demo mode). The link
  // never owns a port.
  void UsePort(PortIo& port) { port_ = &port; }
  // The pacer told of every register write and of every status read that
  // keeps a handshake waiting, so that the window answers during long
  // sequences, delays and slow handshakes.
  void UsePacer(PumpPacer& pacer) { pacer_ = &pacer; }

 private:
  bool WaitForStatusBit7(bool awaited);

  void Tick() {
    if (pacer_ != nullptr) pacer_->Tick();
  }

  PortIo* port_;
  PumpPacer* pacer_ = nullptr;
  UiServices& ui_;
  const Settings& settings_;
  RegisterShadow shadow_;
  std::uint8_t control_ = 0;
  std::uint8_t lastStatus_ = 0;
  std::uint8_t lastRead_ = 0;  // the status read that ended the last successful wait
  std::uint64_t timeouts_ = 0;
};

}  // namespace ferolith
