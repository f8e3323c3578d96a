#pragma once

#include <cstdint>

namespace ferolith::sim {

// The lines of the programmer's socket as the virtual programmer drives
// them after each register write.
struct SocketLines {
  bool power = false;                // register 0 bit 5
  std::uint8_t operatingCode = 0;    // DAC high byte: operating voltage = code x 50 mV
  std::uint8_t programmingCode = 0;  // DAC low byte: programming voltage = code x 100 mV
  bool entryPulse = false;           // register 8 bit 3
  bool load = false;                 // register 6 bit 4 (LOAD)
  std::uint8_t pins = 0;             // register 10: bit 0 data, bit 3 CLK (DIP14),
                                     // bit 6 CLK (DIP8) / SerialOut (DIP14), bit 7 SerialOut (DIP8)

  std::uint32_t OperatingMillivolts() const { return operatingCode * 50u; }
  std::uint32_t ProgrammingMillivolts() const { return programmingCode * 100u; }
};

// Something in the socket: the virtual ACE chip, or a test device. The
// programmer tells it every change of the lines with the virtual time, and
// asks it which register-10 lines it pulls low (wired-AND with the register).
class SocketDevice {
 public:
  virtual ~SocketDevice() = default;
  virtual void OnLines(const SocketLines& lines, std::uint64_t nowMicros) = 0;
  virtual std::uint8_t PulledLow(std::uint64_t nowMicros) const = 0;
};

}  // namespace ferolith::sim
