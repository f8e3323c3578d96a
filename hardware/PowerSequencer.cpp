#include "hardware/PowerSequencer.h"

namespace ferolith {

namespace {

std::uint8_t WithBits(std::uint8_t byte, std::uint8_t bits) { return static_cast<std::uint8_t>(byte | bits); }
std::uint8_t WithoutBits(std::uint8_t byte, std::uint8_t bits) {
  return static_cast<std::uint8_t>(byte & ~bits);
}
std::uint8_t Masked(std::uint8_t byte, std::uint8_t mask) { return static_cast<std::uint8_t>(byte & mask); }

constexpr std::uint32_t kSettleAfterCodesMs = 200;
constexpr std::uint32_t kSettleAfterPowerMs = 400;
constexpr std::uint32_t kEntryStepMs = 1;
constexpr std::uint32_t kPowerDownMs = 300;

}  // namespace

PowerSequencer::PowerSequencer(RegisterLink& link, UiServices& ui, const DeviceEntry& device)
    : link_(link), ui_(ui), device_(device) {}

ResultCode PowerSequencer::LoadVoltageCodes() {
  std::uint8_t& reg4 = link_.Shadow().reg4;
  // Sixteen bits, most significant first: the operating code ends up in the
  // high byte of the DAC's shift register, the programming code in the low.
  const unsigned word = (static_cast<unsigned>(firstSlot_) << 8) | secondSlot_;
  for (int bit = 15; bit >= 0; --bit) {
    const bool one = ((word >> bit) & 1u) != 0;
    reg4 = one ? WithBits(reg4, RegBit::DacDataR4) : WithoutBits(reg4, RegBit::DacDataR4);
    link_.WriteShadow(Reg::R4);
    reg4 = WithBits(reg4, RegBit::DacClockR4);
    link_.WriteShadow(Reg::R4);
    reg4 = WithoutBits(reg4, RegBit::DacClockR4);
    link_.WriteShadow(Reg::R4);
  }
  reg4 = WithBits(reg4, RegBit::DacLoadR4);
  link_.WriteShadow(Reg::R4);
  reg4 = WithoutBits(reg4, RegBit::DacLoadR4);
  link_.WriteShadow(Reg::R4);
  reg4 = WithoutBits(reg4, RegBit::DacDataR4);
  return link_.WriteShadow(Reg::R4);
}

ResultCode PowerSequencer::EnterProgrammingMode() {
  RegisterShadow& shadow = link_.Shadow();
  shadow.reg10 = 0;
  link_.WriteShadow(Reg::R10);
  link_.WriteRegister(Reg::R6, 0);
  link_.WriteRegister(Reg::R2, 0);
  shadow.reg0 = Masked(shadow.reg0, 0xF0);
  link_.WriteShadow(Reg::R0);

  firstSlot_ = device_.OperVoltageCode;
  LoadVoltageCodes();
  secondSlot_ = device_.ProgVoltageCode;
  LoadVoltageCodes();
  link_.DelayMs(kSettleAfterCodesMs);

  shadow.reg0 = WithBits(shadow.reg0, RegBit::PowerR0);
  link_.WriteShadow(Reg::R0);
  link_.DelayMs(kSettleAfterPowerMs);

  // The SerialOut line of the package acts as the pull-up the chip pulls low.
  if (device_.Package == 8) {
    shadow.reg10 = WithBits(shadow.reg10, RegBit::SerialOutDip8R10);
    link_.WriteShadow(Reg::R10);
  } else if (device_.Package == 14) {
    shadow.reg10 = WithBits(shadow.reg10, RegBit::SerialOutDip14R10);
    link_.WriteShadow(Reg::R10);
  }
  shadow.reg6 = WithBits(shadow.reg6, RegBit::LoadR6);
  link_.WriteShadow(Reg::R6);
  link_.DelayMs(kEntryStepMs);

  shadow.reg8 = WithBits(shadow.reg8, RegBit::EntryPulseR8);
  link_.WriteShadow(Reg::R8);
  link_.DelayMs(kEntryStepMs);
  shadow.reg8 = Masked(shadow.reg8, 0xC0);
  link_.WriteShadow(Reg::R8);
  link_.DelayMs(kEntryStepMs);

  secondSlot_ = 0;
  return LoadVoltageCodes();
}

ResultCode PowerSequencer::LeaveProgrammingMode() {
  RegisterShadow& shadow = link_.Shadow();
  link_.WriteRegister(Reg::R6, 0);
  link_.WriteRegister(Reg::R2, 0);
  shadow.reg0 = Masked(shadow.reg0, 0xF0);
  link_.WriteShadow(Reg::R0);
  link_.WriteRegister(Reg::R10, 0);
  shadow.reg4 = WithoutBits(shadow.reg4, RegBit::TimingR4);
  link_.WriteShadow(Reg::R4);

  secondSlot_ = 0;
  LoadVoltageCodes();
  shadow.reg8 = Masked(shadow.reg8, 0xC0);
  link_.WriteShadow(Reg::R8);
  firstSlot_ = 0;
  LoadVoltageCodes();

  shadow.reg0 = Masked(shadow.reg0, 0x0F);
  link_.WriteShadow(Reg::R0);
  shadow.reg8 = Masked(shadow.reg8, 0x7F);
  link_.WriteShadow(Reg::R8);
  return link_.DelayMs(kPowerDownMs);
}

ResultCode PowerSequencer::SafeState() {
  RegisterShadow& shadow = link_.Shadow();
  shadow.reg4 = WithoutBits(shadow.reg4, RegBit::TimingR4);
  link_.WriteShadow(Reg::R4);
  link_.WriteRegister(Reg::R0, 0);
  link_.WriteRegister(Reg::R2, 0);
  link_.WriteRegister(Reg::R6, 0);
  link_.WriteRegister(Reg::R10, 0);
  firstSlot_ = 0;
  LoadVoltageCodes();
  secondSlot_ = 0;
  LoadVoltageCodes();
  shadow.reg0 = Masked(shadow.reg0, 0x0F);
  link_.WriteShadow(Reg::R0);
  shadow.reg8 = Masked(shadow.reg8, 0x7F);
  link_.WriteShadow(Reg::R8);
  shadow.reg8 = Masked(shadow.reg8, 0xC0);
  return link_.WriteShadow(Reg::R8);
}

int PowerSequencer::ShowSocketInstructions(const std::string& banner) {
  const std::string text = " " + banner + "\n" + device_.Name + "\n" +
                           "\n\nACE-Adapter ** unten ** in Sockel 1 einsetzen.\n" +
                           "ACE-Chip ** oben ** im Adapter einsetzen.\n";
  return ui_.MessageOkCancel(text);
}

}  // namespace ferolith
