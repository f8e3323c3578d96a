#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chip/AceProtocol.h"
#include "chip/ChipOperations.h"
#include "core/DeviceEntry.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "files/MemoryImage.h"
#include "link/PowerSequencer.h"
#include "link/RegisterLink.h"
#include "sim/VirtualProgrammer.h"
#include "sim/chip/VirtualAceChip.h"
#include "tests/support/FaultyPort.h"
#include "tests/support/ScriptedUi.h"

namespace ferolith::testing {

// A device line as the library would give it: 5 V operating and 12 V
// programming voltage, 10 ms maximum programming time at 85 us per access.
inline DeviceEntry MakeDevice(std::uint8_t package = 8, std::int32_t chipType = ChipTypeCode::ACE11) {
  DeviceEntry device;
  device.Name = package == 8 ? "ACE1101 DIP8" : "ACE1202 DIP14";
  device.Package = package;
  device.OperVoltageCode = 5000 / 50;
  device.ProgVoltageCode = 12000 / 100;
  device.MaxProgPolls = 10000 / 85;
  device.CodeStart = 0x0000;
  device.CodeSize = 0x0100;
  device.CodeEnd = 0x0100;
  device.DataStart = 0x0000;
  device.DataSize = 0x0040;
  device.DataEnd = 0x0040;
  device.InitRegister1Address = 0x3F00;
  device.ChipType = chipType;
  return device;
}

// The whole chip stack on the simulator: register link, power sequencing,
// protocol and chip operations over a virtual programmer with a virtual ACE
// chip in the socket. The link reaches the programmer through a fault
// injector that passes everything unchanged until a test sets a fault.
struct ChipStack {
  static constexpr std::uint16_t kBase = 0x378;

  explicit ChipStack(const DeviceEntry& entry = MakeDevice()) : device(entry), chip(entry) {
    settings.SetPortAdress(kBase);
    settings.TimeOut = 10000;
    programmer.Plug(&chip);
    image.FillBlank();
  }
  ChipStack(const ChipStack&) = delete;
  ChipStack& operator=(const ChipStack&) = delete;

  Settings settings;
  DeviceEntry device;
  ScriptedUi ui;
  sim::VirtualProgrammer programmer{kBase};
  sim::VirtualAceChip chip;
  FaultyPort faults{programmer, kBase};
  RegisterLink link{faults, ui, settings};
  PowerSequencer power{link, ui, device};
  AceProtocol protocol{link, ui, device};
  Progress progress{ui};
  MemoryImage image;
  int cancelRequested = 0;
  ChipOperations operations{protocol, power, ui, progress, device, image, settings, cancelRequested};

  // Everything switched off: no power on the socket, chip out of programming mode.
  bool PoweredDown() const {
    return !programmer.Lines().power && !chip.PoweredUp() && !chip.InProgrammingMode();
  }
  bool LoadHigh() const { return (programmer.Register(Reg::R6) & Lines::Load.bit) != 0; }
  bool ClockLow() const { return (programmer.Register(Reg::R10) & ChipLinesFor(device.Package).clock.bit) == 0; }
};

// The chip stack of the tests: its exchange must stay clean, without a
// single violation recorded by the programmer or the chip, unless the test
// breaks the host on purpose and says so.
struct ChipRig : ChipStack {
  using ChipStack::ChipStack;
  ~ChipRig() {
    if (!expectCleanExchange) return;
    EXPECT_EQ(programmer.Violations(), std::vector<std::string>{});
    EXPECT_EQ(chip.Violations(), std::vector<std::string>{});
  }
  ChipRig(const ChipRig&) = delete;
  ChipRig& operator=(const ChipRig&) = delete;

  bool expectCleanExchange = true;
};

// The command words the host shifted, decoded from the register writes the
// programmer took: with LOAD high, each rising CLK edge clocks in the data
// bit; LOAD falling after 32 bits ends a word. Needs the programmer's trace,
// started in programming mode (LOAD high) or before power-up.
inline std::vector<std::uint32_t> ShiftedWords(const sim::VirtualProgrammer& programmer, std::uint8_t package) {
  const std::uint8_t clock = ChipLinesFor(package).clock.bit;
  std::vector<std::uint32_t> words;
  bool load = true;
  std::uint8_t reg10 = 0;
  std::uint32_t word = 0;
  int bits = 0;
  for (const sim::RegisterWrite& write : programmer.RegisterLog()) {
    if (write.reg == Reg::R6) {
      const bool newLoad = (write.value & Lines::Load.bit) != 0;
      if (load && !newLoad && bits == 32) words.push_back(word);
      if (newLoad != load) {
        bits = 0;
        word = 0;
      }
      load = newLoad;
    } else if (write.reg == Reg::R10) {
      const bool rising = (write.value & clock) != 0 && (reg10 & clock) == 0;
      if (rising && load) {
        word = (word << 1) | (write.value & Lines::SerialData.bit);
        ++bits;
      }
      reg10 = write.value;
    }
  }
  return words;
}

// Read command word for an address (code or data EEPROM).
constexpr std::uint32_t ReadCodeWord(std::uint32_t address) { return 0x11000000u | address << 8; }
constexpr std::uint32_t ReadDataWord(std::uint32_t address) { return 0x21000000u | address << 8; }

}  // namespace ferolith::testing
