#include "sim/VirtualProgrammer.h"

#include <utility>

#include "core/TextFormat.h"

namespace ferolith::sim {

namespace {

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kRegisterSelect = 0x0E;
constexpr std::uint8_t kBusy = 0x80;

constexpr std::uint8_t kPowerBit = 0x20;
constexpr std::uint8_t kDacClock = 0x01;
constexpr std::uint8_t kDacData = 0x02;
constexpr std::uint8_t kDacLoad = 0x04;
constexpr std::uint8_t kEntryPulse = 0x08;
constexpr std::uint8_t kLoadLine = 0x10;

// Settling times of the power sequence.
constexpr std::uint64_t kCodesSettleMicros = 200000;
constexpr std::uint64_t kPowerSettleMicros = 400000;
constexpr std::uint64_t kEntryPulseMicros = 1000;

// The bits of each register (by index: register number / 2) that the
// programmer has a use for; setting any other bit is a host error.
constexpr std::array<std::uint8_t, 8> kUsedBits = {
    0x20,  // 0: power
    0x00,  // 2: only ever 0
    0x27,  // 4: DAC clock, data, load; timing bit
    0x10,  // 6: LOAD
    0x08,  // 8: entry pulse
    0xFF,  // 10: socket lines (the loop-back test drives all eight)
    0x80,  // 12
    0x80,  // 14
};

// Status bit that carries input bit i of the presented half.
constexpr int kStatusBitOfInput[4] = {6, 3, 4, 5};

std::uint8_t StatusNibble(std::uint8_t half) {
  std::uint8_t status = 0;
  for (int i = 0; i < 4; ++i) {
    if ((static_cast<unsigned>(half) >> i) & 1u) status = static_cast<std::uint8_t>(status | (1u << kStatusBitOfInput[i]));
  }
  return status;
}

bool Rising(std::uint8_t before, std::uint8_t after, std::uint8_t bit) {
  return (before & bit) == 0 && (after & bit) != 0;
}

bool Changed(std::uint8_t before, std::uint8_t after, std::uint8_t bit) { return ((before ^ after) & bit) != 0; }

unsigned long long Micros(std::uint64_t micros) { return micros; }

}  // namespace

VirtualProgrammer::VirtualProgrammer(std::uint16_t baseAddress) : base_(baseAddress) {}

void VirtualProgrammer::Plug(SocketDevice* device) {
  device_ = device;
  if (device_ != nullptr) device_->OnLines(lines_, nowMicros_);
}

void VirtualProgrammer::Preset(const ProgrammerState& state) {
  registers_ = state.registers;
  data_ = state.dataPort;
  control_ = state.controlPort;
  busyLine_ = (control_ & kStrobe) == 0;
  readsUntilAnswer_ = 0;
  unconfirmed_ = false;
  lines_.power = (registers_[0] & kPowerBit) != 0;
  lines_.load = (registers_[3] & kLoadLine) != 0;
  lines_.entryPulse = (registers_[4] & kEntryPulse) != 0;
  lines_.pins = registers_[5];
  lines_.operatingCode = state.operatingCode;
  lines_.programmingCode = state.programmingCode;
  dacShift_ = static_cast<std::uint16_t>(state.operatingCode << 8 | state.programmingCode);
  // The codes, the power and the entry pulse all came long ago.
  nowMicros_ += kCodesSettleMicros + kPowerSettleMicros;
  codesLoadedAt_ = powerOnAt_ = entryPulseAt_ = nowMicros_ - (kCodesSettleMicros + kPowerSettleMicros);
  if (device_ != nullptr) device_->OnLines(lines_, nowMicros_);
}

std::uint8_t VirtualProgrammer::Register(int reg) const {
  return registers_[static_cast<std::size_t>(reg / 2) & 7u];
}

std::uint8_t VirtualProgrammer::InputLines() const {
  std::uint8_t lines = lines_.pins;
  if (device_ != nullptr) lines = static_cast<std::uint8_t>(lines & ~device_->PulledLow(nowMicros_));
  return static_cast<std::uint8_t>((lines & ~stuckLow_) | stuckHigh_);
}

void VirtualProgrammer::SetAnswerAfterReads(std::uint32_t reads) { answerAfterReads_ = reads < 1 ? 1 : reads; }

void VirtualProgrammer::SetAbsent(bool absent) {
  if (absent && on_) PowerDown();
  if (!absent && !on_) SwitchOn();
  on_ = !absent;
}

void VirtualProgrammer::SwitchOn() {
  // A programmer coming up has taken nothing: status bit 7 simply follows
  // the strobe as it stands.
  readsUntilAnswer_ = 0;
  unconfirmed_ = false;
  busyLine_ = (control_ & kStrobe) == 0;
}

void VirtualProgrammer::SwitchOffAfterWrites(std::uint64_t writes) { switchOffAt_ = registerWrites_ + writes; }

void VirtualProgrammer::SetStuckInputLines(std::uint8_t stuckLow, std::uint8_t stuckHigh) {
  stuckLow_ = stuckLow;
  stuckHigh_ = stuckHigh;
}

std::uint8_t VirtualProgrammer::Read(std::uint16_t address) {
  std::uint8_t value = 0;
  switch (address - base_) {
    case 0: value = data_; break;
    case 1: value = Status(); break;
    case 2: value = control_; break;
    default: Violation("read of an address outside the port"); break;
  }
  if (traceOn_) trace_.push_back({PortAccess::Kind::Read, address, value});
  return value;
}

void VirtualProgrammer::Write(std::uint16_t address, std::uint8_t value) {
  if (traceOn_) trace_.push_back({PortAccess::Kind::Write, address, value});
  switch (address - base_) {
    case 0: WriteData(value); break;
    case 1: Violation("write to the read-only status port"); break;
    case 2: WriteControl(value); break;
    default: Violation("write to an address outside the port"); break;
  }
}

std::uint8_t VirtualProgrammer::Status() {
  ++statusReads_;
  if (!on_) return absentStatus_;
  if (readsUntilAnswer_ > 0 && --readsUntilAnswer_ == 0) busyLine_ = (control_ & kStrobe) == 0;
  // The host has now seen the answer to the last strobe edge.
  if (readsUntilAnswer_ == 0) unconfirmed_ = false;
  const std::uint8_t input = InputLines();
  if (highNibble_ && device_ != nullptr) device_->OnInputRead(input);
  const auto half = static_cast<std::uint8_t>(highNibble_ ? input >> 4 : input & 0x0F);
  return static_cast<std::uint8_t>(StatusNibble(half) | (busyLine_ ? kBusy : 0));
}

void VirtualProgrammer::WriteData(std::uint8_t value) {
  if (on_ && unconfirmed_ && value != data_) {
    Violation(FormatText("data port changed before register %d's byte was confirmed", lastRegister_));
  }
  data_ = value;
}

void VirtualProgrammer::WriteControl(std::uint8_t value) {
  if ((value & ~(kRegisterSelect | kStrobe)) != 0) {
    Violation("control bits 4-7 set (interrupt enable or data direction)");
  }
  const std::uint8_t before = control_;
  control_ = value;
  if (!on_) return;
  if (unconfirmed_ && Changed(before, value, kRegisterSelect)) {
    Violation(FormatText("register number changed before register %d's byte was confirmed", lastRegister_));
  }
  if (!Changed(before, value, kStrobe)) return;

  const bool rising = (value & kStrobe) != 0;
  if (rising && unconfirmed_) {
    // The programmer is still busy with the last byte and misses this one.
    Violation(FormatText("strobe raised before register %d's byte was confirmed", lastRegister_));
  } else if (rising && readsUntilAnswer_ > 0) {
    // The host did not wait for "ready": the programmer misses the byte.
    Violation("strobe raised before the programmer answered ready");
  } else if (rising) {
    LatchRegister();
    if (!on_) return;
    unconfirmed_ = true;
  }
  readsUntilAnswer_ = answerAfterReads_;
}

void VirtualProgrammer::LatchRegister() {
  const int index = (control_ & kRegisterSelect) >> 1;
  lastRegister_ = index * 2;
  ++registerWrites_;
  nowMicros_ += microsPerWrite_;
  if (traceOn_) registerLog_.push_back({static_cast<std::uint8_t>(index * 2), data_});
  ApplyRegister(index, data_);
  if (device_ != nullptr) device_->OnLines(lines_, nowMicros_);
  if (switchOffAt_ != 0 && registerWrites_ >= switchOffAt_) {
    switchOffAt_ = 0;
    PowerDown();
    on_ = false;
  }
}

void VirtualProgrammer::ApplyRegister(int index, std::uint8_t value) {
  const auto slot = static_cast<std::size_t>(index);
  if ((value & ~kUsedBits[slot]) != 0) {
    Violation(FormatText("register %d written with unused bits 0x%02X", index * 2,
                         static_cast<unsigned>(value & ~kUsedBits[slot])));
  }
  const std::uint8_t before = registers_[slot];
  registers_[slot] = value;
  switch (index) {
    case 0:
      if (Changed(before, value, kPowerBit)) OnPowerEdge((value & kPowerBit) != 0);
      lines_.power = (value & kPowerBit) != 0;
      break;
    case 2:
      highNibble_ = false;
      if (Rising(before, value, kDacClock)) {
        const unsigned bit = (value & kDacData) != 0 ? 1u : 0u;
        dacShift_ = static_cast<std::uint16_t>((static_cast<unsigned>(dacShift_) << 1) | bit);
      }
      if (Rising(before, value, kDacLoad)) {
        lines_.operatingCode = static_cast<std::uint8_t>(dacShift_ >> 8);
        lines_.programmingCode = static_cast<std::uint8_t>(dacShift_ & 0xFF);
        codesLoadedAt_ = nowMicros_;
      }
      break;
    case 3: lines_.load = (value & kLoadLine) != 0; break;
    case 4:
      highNibble_ = true;
      if (Changed(before, value, kEntryPulse)) OnEntryPulseEdge((value & kEntryPulse) != 0);
      lines_.entryPulse = (value & kEntryPulse) != 0;
      break;
    case 5: lines_.pins = value; break;
    default: break;
  }
}

void VirtualProgrammer::OnPowerEdge(bool on) {
  if (!on) {
    if (lines_.programmingCode != 0) Violation("power switched off while the programming voltage is applied");
    return;
  }
  powerOnAt_ = nowMicros_;
  if (lines_.operatingCode == 0 || lines_.programmingCode == 0) {
    Violation("power switched on before the voltage codes were loaded");
  } else if (nowMicros_ - codesLoadedAt_ < kCodesSettleMicros) {
    Violation(FormatText("power switched on %llu us after the voltage codes were loaded (at least %llu us)",
                         Micros(nowMicros_ - codesLoadedAt_), Micros(kCodesSettleMicros)));
  }
}

void VirtualProgrammer::OnEntryPulseEdge(bool raised) {
  if (!raised) {
    if (nowMicros_ - entryPulseAt_ < kEntryPulseMicros) {
      Violation(FormatText("entry pulse of %llu us (at least %llu us)", Micros(nowMicros_ - entryPulseAt_),
                           Micros(kEntryPulseMicros)));
    }
    return;
  }
  entryPulseAt_ = nowMicros_;
  if (!lines_.power) {
    Violation("entry pulse while the power is off");
  } else if (nowMicros_ - powerOnAt_ < kPowerSettleMicros) {
    Violation(FormatText("entry pulse %llu us after the power was switched on (at least %llu us)",
                         Micros(nowMicros_ - powerOnAt_), Micros(kPowerSettleMicros)));
  }
  if (!lines_.load) Violation("entry pulse while LOAD is low");
}

void VirtualProgrammer::PowerDown() {
  registers_.fill(0);
  lines_ = SocketLines{};
  dacShift_ = 0;
  if (device_ != nullptr) device_->OnLines(lines_, nowMicros_);
}

void VirtualProgrammer::Violation(std::string text) { violations_.push_back(std::move(text)); }

}  // namespace ferolith::sim
