#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "sim/SocketDevice.h"
#include "sim/chip/ChipContents.h"

namespace ferolith::sim {

// A virtual ACE microcontroller in the programmer's socket.
//
// Lines: CLK is register-10 bit 6 and SerialOut bit 7 for a DIP8 chip, CLK
// bit 3 and SerialOut bit 6 for a DIP14 chip; the serial data input is bit 0
// for both (SocketPin, the simulator's own copy of the wiring). The chip can
// only pull SerialOut low: the host's register bit is the pull-up, so a chip
// that does not drive the line reads as 1.
//
// Programming mode is entered on the rising edge of the entry pulse while the
// power bit is on, the operating voltage is 4.5-5.5 V and the programming
// voltage 11.5-13.5 V; it is left when the power goes off. Outside it the
// chip ignores LOAD and CLK and pulls nothing low. (The order and the
// settling times of power-up and power-down are the virtual programmer's
// rules.)
//
// Commands: with LOAD = 1 the chip shifts the data line in on each rising
// CLK edge, most significant bit first, while it presents its 32-bit output
// word on SerialOut, bit 31 first. The output word holds the byte of the
// previous read command, so a read's byte reaches the host during the next
// command (pipelined reads). When LOAD falls after 32 bits, the chip latches
// the command and releases SerialOut (1); the first CLK pulse pulls it low;
// the second executes the command: a read at once (SerialOut 1 again), a
// write by starting to program the cell, with SerialOut held low until the
// programming time has passed on the virtual clock. LOAD rising starts the
// next command; a write whose programming has not finished by then is
// abandoned and leaves the cell unchanged. LOAD falling with nothing shifted
// is the start of the power-down, as long as no CLK pulse and no LOAD rise
// follow before the power goes.
//
// Memory: code cells in [CodeStart, CodeEnd), data cells in [DataStart,
// DataEnd) (none when DataEnd is 0), InitRegister1 at InitRegister1Address in
// the data command space. Reads elsewhere give 0xFF, writes elsewhere end
// normally and change nothing.
//
// Protection, from the bits of the stored InitRegister1:
//  - bit 1 (WDIS): every later write, InitRegister1 included, ends normally
//    but changes nothing, so a verification finds the difference;
//  - bit 0 (read protection): code and data reads return 0x00, so a
//    protected chip never passes a blank check or a verification and gives
//    nothing of its contents away; InitRegister1 itself stays readable.
//
// Departures from the protocol are recorded as violations, so that tests
// can require a clean exchange:
//  - a command of the wrong length, an unknown command code, clock pulses
//    after the ending;
//  - the data line changed in the same register write that raises CLK (it
//    must be stable before the edge);
//  - LOAD fallen with no bit shifted, followed by a CLK pulse or a LOAD rise;
//  - SerialOut read on another line: LOAD raised before the two ending
//    clock pulses although the host's last input read showed this chip's
//    SerialOut at the level the ending waits for (high after LOAD fell, low
//    after the first pulse), so the host cannot have looked at this pin;
//  - register 10's pull-ups that do not fit the package: at entry only this
//    package's SerialOut line may be set among the two SerialOut and the
//    clock lines, and whenever a command ends its SerialOut pull-up must be
//    set and the other package's SerialOut line (where it is not this
//    package's clock) clear. Reported once per entry into programming mode.
class VirtualAceChip : public SocketDevice {
 public:
  static constexpr std::uint64_t kDefaultProgramMicros = 1000;

  enum class SerialOutFault { None, StuckHigh, StuckLow };

  explicit VirtualAceChip(const DeviceEntry& device);

  // SocketDevice.
  void OnLines(const SocketLines& lines, std::uint64_t nowMicros) override;
  std::uint8_t PulledLow(std::uint64_t nowMicros) const override;
  void OnInputRead(std::uint8_t lines) override;

  // Contents, by chip address.
  std::uint8_t Code(std::uint32_t address) const;
  std::uint8_t Data(std::uint32_t address) const;
  std::uint8_t InitRegister1() const { return contents_.initRegister1; }
  void SetCode(std::uint32_t address, std::uint8_t value);
  void SetData(std::uint32_t address, std::uint8_t value);
  void SetInitRegister1(std::uint8_t value) { contents_.initRegister1 = value; }
  const ChipContents& Contents() const { return contents_; }
  void SetContents(const ChipContents& contents) { contents_ = contents; }
  // Keeps the contents in a file (format of FormatContents; an existing file
  // is replaced only by a complete one) and reads them back; false when the
  // file cannot be written or read or is not valid, in which case the chip
  // keeps its contents.
  bool SaveTo(const std::string& path) const;
  bool LoadFrom(const std::string& path);

  // State.
  bool PoweredUp() const { return powered_; }
  bool InProgrammingMode() const { return programmingMode_; }
  int ProgrammingModeEntries() const { return entries_; }
  // Every command word the chip latched, in order.
  const std::vector<std::uint32_t>& Commands() const { return commands_; }
  void ClearCommands() { commands_.clear(); }
  const std::vector<std::string>& Violations() const { return violations_; }

  // Timing and faults.
  void SetProgramMicros(std::uint64_t micros) { programMicros_ = micros; }
  void SetSerialOutFault(SerialOutFault fault) { serialOutFault_ = fault; }
  // A cell whose programming never finishes: SerialOut stays low.
  void SetDeadCell(MemoryArea area, std::uint32_t address);
  // A cell that takes `micros` instead of the normal programming time.
  void SetSlowCell(MemoryArea area, std::uint32_t address, std::uint64_t micros);

 private:
  enum class Phase { Idle, Shifting, Latched, FirstClock, Executed };
  // SerialOut as the host's last input read in an ending showed it.
  enum class Shown { Nothing, High, Low };
  struct PendingWrite {
    bool active = false;
    bool dead = false;
    std::uint8_t command = 0;
    std::uint16_t address = 0;
    std::uint8_t value = 0;
    std::uint64_t doneAt = 0;
  };

  static std::uint32_t CellKey(MemoryArea area, std::uint32_t address);
  bool VoltagesAllowEntry(const SocketLines& lines) const;
  void EnterProgrammingMode(const SocketLines& lines);
  void LeaveProgrammingMode();
  void OnLoadRise();
  void OnLoadFall(std::uint8_t pins);
  void OnClockRise(bool dataBit, std::uint64_t nowMicros);
  void CheckPullUps(std::uint8_t pins, bool atEntry);
  void Execute(std::uint64_t nowMicros);
  void StartWrite(std::uint8_t command, std::uint16_t address, std::uint8_t value, std::uint64_t nowMicros);
  void FinishProgrammingIfDue(std::uint64_t nowMicros);
  void StoreWrite(const PendingWrite& write);
  std::uint8_t ReadCell(std::uint8_t command, std::uint16_t address) const;
  bool IsCodeCell(std::uint32_t address) const;
  bool IsDataCell(std::uint32_t address) const;
  bool IsInitRegister1(std::uint32_t address) const;
  void Violation(const std::string& what);

  DeviceEntry device_;
  SocketPin::PackagePins pins_;
  // The other package's SerialOut line.
  std::uint8_t foreignSerialOut_;
  ChipContents contents_;

  SocketLines previous_;
  bool powered_ = false;
  bool programmingMode_ = false;
  int entries_ = 0;
  Phase phase_ = Phase::Idle;
  std::uint32_t shiftIn_ = 0;
  std::uint32_t bitsShifted_ = 0;
  std::uint32_t latched_ = 0;
  std::uint32_t outputWord_ = 0;
  PendingWrite pending_;
  bool emptyLoadFall_ = false;
  Shown shown_ = Shown::Nothing;
  bool pullUpsReported_ = false;

  std::uint64_t programMicros_ = kDefaultProgramMicros;
  SerialOutFault serialOutFault_ = SerialOutFault::None;
  std::set<std::uint32_t> deadCells_;
  std::map<std::uint32_t, std::uint64_t> slowCells_;

  std::vector<std::uint32_t> commands_;
  std::vector<std::string> violations_;
};

}  // namespace ferolith::sim
