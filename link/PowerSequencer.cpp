#include "link/PowerSequencer.h"

namespace ferolith {

namespace {

constexpr std::uint32_t kSettleAfterCodesMs = 200;
constexpr std::uint32_t kSettleAfterPowerMs = 400;
constexpr std::uint32_t kEntryStepMs = 1;
constexpr std::uint32_t kPowerDownMs = 300;

// The bits the sequences keep when they clear groups of lines: power-up and
// power-down clear the low half of register 0, power-down and the safe state
// its high half with the power line; the end of the entry pulse clears bits
// 0-5 of register 8, power-down and the safe state its bit 7.
constexpr std::uint8_t kKeepHighHalf = 0xF0;
constexpr std::uint8_t kKeepLowHalf = 0x0F;
constexpr std::uint8_t kEntryPulseOver = 0xC0;
constexpr std::uint8_t kKeepBelowBit7 = 0x7F;

}  // namespace

PowerSequencer::PowerSequencer(RegisterLink& link, UiServices& ui, const DeviceEntry& device)
    : link_(link), ui_(ui), device_(device) {}

ResultCode PowerSequencer::LoadVoltageCodes() {
  // Sixteen bits, most significant first: the operating code ends up in the
  // high byte of the DAC's shift register, the programming code in the low.
  const unsigned word = (static_cast<unsigned>(firstSlot_) << 8) | secondSlot_;
  for (int bit = 15; bit >= 0; --bit) {
    link_.Drive(Lines::DacData, ((word >> bit) & 1u) != 0);
    link_.Raise(Lines::DacClock);
    link_.Lower(Lines::DacClock);
  }
  link_.Raise(Lines::DacLoad);
  link_.Lower(Lines::DacLoad);
  return link_.Lower(Lines::DacData);
}

ResultCode PowerSequencer::EnterProgrammingMode() {
  link_.KeepBits(Reg::R10, 0);
  link_.WriteRegister(Reg::R6, 0);
  link_.WriteRegister(Reg::R2, 0);
  link_.KeepBits(Reg::R0, kKeepHighHalf);

  firstSlot_ = device_.OperVoltageCode;
  LoadVoltageCodes();
  secondSlot_ = device_.ProgVoltageCode;
  LoadVoltageCodes();
  link_.DelayMs(kSettleAfterCodesMs);

  link_.Raise(Lines::Power);
  link_.DelayMs(kSettleAfterPowerMs);

  // The SerialOut line of the package acts as the pull-up the chip pulls low.
  if (device_.Package == 8) {
    link_.Raise(Lines::SerialOutDip8);
  } else if (device_.Package == 14) {
    link_.Raise(Lines::SerialOutDip14);
  }
  link_.Raise(Lines::Load);
  link_.DelayMs(kEntryStepMs);

  link_.Raise(Lines::EntryPulse);
  link_.DelayMs(kEntryStepMs);
  link_.KeepBits(Reg::R8, kEntryPulseOver);
  link_.DelayMs(kEntryStepMs);

  secondSlot_ = 0;
  return LoadVoltageCodes();
}

ResultCode PowerSequencer::LeaveProgrammingMode() {
  link_.WriteRegister(Reg::R6, 0);
  link_.WriteRegister(Reg::R2, 0);
  link_.KeepBits(Reg::R0, kKeepHighHalf);
  link_.WriteRegister(Reg::R10, 0);
  link_.Lower(Lines::Timing);

  secondSlot_ = 0;
  LoadVoltageCodes();
  link_.KeepBits(Reg::R8, kEntryPulseOver);
  firstSlot_ = 0;
  LoadVoltageCodes();

  PowerOff();
  return link_.DelayMs(kPowerDownMs);
}

ResultCode PowerSequencer::SafeState() {
  link_.Lower(Lines::Timing);
  link_.WriteRegister(Reg::R0, 0);
  link_.WriteRegister(Reg::R2, 0);
  link_.WriteRegister(Reg::R6, 0);
  link_.WriteRegister(Reg::R10, 0);
  firstSlot_ = 0;
  LoadVoltageCodes();
  secondSlot_ = 0;
  LoadVoltageCodes();
  PowerOff();
  return link_.KeepBits(Reg::R8, kEntryPulseOver);
}

void PowerSequencer::PowerOff() {
  link_.KeepBits(Reg::R0, kKeepLowHalf);
  link_.KeepBits(Reg::R8, kKeepBelowBit7);
}

Answer PowerSequencer::ShowSocketInstructions(const std::string& banner) {
  const std::string text = " " + banner + "\n" + device_.Name + "\n" +
                           "\n\nACE-Adapter ** unten ** in Sockel 1 einsetzen.\n" +
                           "ACE-Chip ** oben ** im Adapter einsetzen.\n";
  return ui_.MessageOkCancel(text);
}

}  // namespace ferolith
