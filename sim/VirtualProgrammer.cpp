#include "sim/VirtualProgrammer.h"

#include <cstdio>
#include <utility>

namespace ferolith::sim {

namespace {

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kRegisterSelect = 0x0E;
constexpr std::uint8_t kBusy = 0x80;
// Status lines of a port with nothing answering on it.
constexpr std::uint8_t kFloatingStatus = 0xFF;

constexpr std::uint8_t kPowerBit = 0x20;
constexpr std::uint8_t kDacClock = 0x01;
constexpr std::uint8_t kDacData = 0x02;
constexpr std::uint8_t kDacLoad = 0x04;
constexpr std::uint8_t kEntryPulse = 0x08;
constexpr std::uint8_t kLoadLine = 0x10;

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

}  // namespace

VirtualProgrammer::VirtualProgrammer(std::uint16_t baseAddress) : base_(baseAddress) {}

void VirtualProgrammer::Plug(SocketDevice* device) {
  device_ = device;
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
  on_ = !absent;
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
    case 0: data_ = value; break;
    case 1: Violation("write to the read-only status port"); break;
    case 2: WriteControl(value); break;
    default: Violation("write to an address outside the port"); break;
  }
}

std::uint8_t VirtualProgrammer::Status() {
  if (!on_) return kFloatingStatus;
  if (readsUntilAnswer_ > 0 && --readsUntilAnswer_ == 0) busyLine_ = (control_ & kStrobe) == 0;
  const std::uint8_t input = InputLines();
  const auto half = static_cast<std::uint8_t>(highNibble_ ? input >> 4 : input & 0x0F);
  return static_cast<std::uint8_t>(StatusNibble(half) | (busyLine_ ? kBusy : 0));
}

void VirtualProgrammer::WriteControl(std::uint8_t value) {
  if ((value & ~(kRegisterSelect | kStrobe)) != 0) {
    Violation("control bits 4-7 set (interrupt enable or data direction)");
  }
  const std::uint8_t before = control_;
  control_ = value;
  if (!on_ || ((before ^ value) & kStrobe) == 0) return;

  const bool rising = (value & kStrobe) != 0;
  if (rising && readsUntilAnswer_ > 0) {
    // The host did not wait for "ready": the programmer misses the byte.
    Violation("strobe raised before the programmer answered ready");
  } else if (rising) {
    LatchRegister();
    if (!on_) return;
  }
  readsUntilAnswer_ = answerAfterReads_;
}

void VirtualProgrammer::LatchRegister() {
  const int index = (control_ & kRegisterSelect) >> 1;
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
    char text[80];
    std::snprintf(text, sizeof text, "register %d written with unused bits 0x%02X", index * 2,
                  static_cast<unsigned>(value & ~kUsedBits[slot]));
    Violation(text);
  }
  const std::uint8_t before = registers_[slot];
  registers_[slot] = value;
  switch (index) {
    case 0: lines_.power = (value & kPowerBit) != 0; break;
    case 2:
      highNibble_ = false;
      if (Rising(before, value, kDacClock)) {
        const unsigned bit = (value & kDacData) != 0 ? 1u : 0u;
        dacShift_ = static_cast<std::uint16_t>((static_cast<unsigned>(dacShift_) << 1) | bit);
      }
      if (Rising(before, value, kDacLoad)) {
        lines_.operatingCode = static_cast<std::uint8_t>(dacShift_ >> 8);
        lines_.programmingCode = static_cast<std::uint8_t>(dacShift_ & 0xFF);
      }
      break;
    case 3: lines_.load = (value & kLoadLine) != 0; break;
    case 4:
      highNibble_ = true;
      lines_.entryPulse = (value & kEntryPulse) != 0;
      break;
    case 5: lines_.pins = value; break;
    default: break;
  }
}

void VirtualProgrammer::PowerDown() {
  registers_.fill(0);
  lines_ = SocketLines{};
  dacShift_ = 0;
  if (device_ != nullptr) device_->OnLines(lines_, nowMicros_);
}

void VirtualProgrammer::Violation(std::string text) { violations_.push_back(std::move(text)); }

}  // namespace ferolith::sim
