#pragma once

#include <cstdint>
#include <string>

#include "core/DeviceEntry.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"
#include "link/RegisterLink.h"

namespace ferolith {

// Voltage codes and power sequencing of the chip in the socket, and the
// socket instruction box.
class PowerSequencer {
 public:
  PowerSequencer(RegisterLink& link, UiServices& ui, const DeviceEntry& device);

  // Shifts the transfer pair into the programmer's DAC; the result of the
  // last register write.
  ResultCode LoadVoltageCodes();
  // Power-up into programming mode for the selected device.
  ResultCode EnterProgrammingMode();
  // Power-down; the result of the final delay.
  ResultCode LeaveProgrammingMode();
  // Switches voltages and lines off before the user touches the socket.
  ResultCode SafeState();
  // Asks the user to put adapter and chip into the socket; Answer::Ok or
  // Answer::Cancel.
  Answer ShowSocketInstructions(const std::string& banner);

  // Handshake timeouts the link has met so far (see RegisterLink::Timeouts).
  std::uint64_t LinkTimeouts() const { return link_.Timeouts(); }

  // The transfer pair: operating-voltage code, programming-voltage code.
  std::uint8_t FirstSlot() const { return firstSlot_; }
  std::uint8_t SecondSlot() const { return secondSlot_; }

 private:
  // The end of power-down and of the safe state: the power line and the
  // rest of register 0's high half off, then bit 7 of register 8.
  void PowerOff();

  RegisterLink& link_;
  UiServices& ui_;
  const DeviceEntry& device_;
  std::uint8_t firstSlot_ = 0;
  std::uint8_t secondSlot_ = 0;
};

}  // namespace ferolith
