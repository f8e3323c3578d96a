#pragma once

#include <cstdint>

namespace ferolith::sim {

// The socket's pins on register 10, written from the programmer's pin
// tables (the simulator keeps its own copy of the wiring, so that a slip in
// the host's constants shows up against it): the chip's serial data input
// is bit 0 for both packages; a DIP8 chip takes its clock on bit 6 and
// drives SerialOut on bit 7, a DIP14 chip takes its clock on bit 3 and
// drives SerialOut on bit 6. The host's register bit on a SerialOut pin is
// the pull-up that the chip pulls low.
namespace SocketPin {
inline constexpr std::uint8_t Data = 0x01;

struct PackagePins {
  std::uint8_t clock;
  std::uint8_t serialOut;
};
inline constexpr PackagePins Dip8{0x40, 0x80};
inline constexpr PackagePins Dip14{0x08, 0x40};

// The pins of a package (8 or 14 pins; anything else is wired as DIP14).
constexpr PackagePins ForPackage(int package) { return package == 8 ? Dip8 : Dip14; }
}  // namespace SocketPin

// The lines of the programmer's socket as the virtual programmer drives
// them after each register write.
struct SocketLines {
  bool power = false;                // register 0 bit 5
  std::uint8_t operatingCode = 0;    // DAC high byte: operating voltage = code x 50 mV
  std::uint8_t programmingCode = 0;  // DAC low byte: programming voltage = code x 100 mV
  bool entryPulse = false;           // register 8 bit 3
  bool load = false;                 // register 6 bit 4 (LOAD)
  std::uint8_t pins = 0;             // register 10, see SocketPin

  std::uint32_t OperatingMillivolts() const { return operatingCode * 50u; }
  std::uint32_t ProgrammingMillivolts() const { return programmingCode * 100u; }
};

// Something in the socket: the virtual ACE chip, or a test device. The
// programmer tells it every change of the lines with the virtual time, asks
// it which register-10 lines it pulls low (wired-AND with the register), and
// shows it every read of the input half that carries the SerialOut pins.
class SocketDevice {
 public:
  virtual ~SocketDevice() = default;
  virtual void OnLines(const SocketLines& lines, std::uint64_t nowMicros) = 0;
  virtual std::uint8_t PulledLow(std::uint64_t nowMicros) const = 0;
  // The host read the status byte that carries input lines 4-7; `lines` are
  // all eight input lines as they stood (after every pull and stuck line).
  virtual void OnInputRead(std::uint8_t lines) { static_cast<void>(lines); }
};

}  // namespace ferolith::sim
