#include "sim/chip/VirtualAceChip.h"

#include "core/TextFormat.h"

namespace ferolith::sim {

namespace {

// Command codes the chip understands (the top byte of a command word).
constexpr std::uint8_t kWriteCode = 0x10;
constexpr std::uint8_t kReadCode = 0x11;
constexpr std::uint8_t kWriteData = 0x20;
constexpr std::uint8_t kReadData = 0x21;

constexpr std::uint8_t kWriteDisableBit = 0x02;
constexpr std::uint8_t kReadProtectBit = 0x01;
constexpr std::uint8_t kProtectedRead = 0x00;

constexpr std::uint32_t kEntryOperatingMin = 4500, kEntryOperatingMax = 5500;
constexpr std::uint32_t kEntryProgrammingMin = 11500, kEntryProgrammingMax = 13500;
constexpr std::uint32_t kCommandBits = 32;

}  // namespace

VirtualAceChip::VirtualAceChip(const DeviceEntry& device)
    : device_(device),
      pins_(SocketPin::ForPackage(device.Package)),
      foreignSerialOut_(SocketPin::ForPackage(device.Package == 8 ? 14 : 8).serialOut) {}

void VirtualAceChip::OnLines(const SocketLines& lines, std::uint64_t nowMicros) {
  FinishProgrammingIfDue(nowMicros);
  powered_ = lines.power;
  if (!powered_) {
    if (programmingMode_) LeaveProgrammingMode();
  } else if (!programmingMode_) {
    if (lines.entryPulse && !previous_.entryPulse && VoltagesAllowEntry(lines)) EnterProgrammingMode(lines);
  } else {
    if (lines.load && !previous_.load) OnLoadRise();
    if (!lines.load && previous_.load) OnLoadFall(lines.pins);
    const bool clock = (lines.pins & pins_.clock) != 0;
    const bool previousClock = (previous_.pins & pins_.clock) != 0;
    if (clock && !previousClock) {
      if (((lines.pins ^ previous_.pins) & SocketPin::Data) != 0) {
        Violation(FormatText("data line changed with the rising CLK edge after %u bits", bitsShifted_));
      }
      OnClockRise((lines.pins & SocketPin::Data) != 0, nowMicros);
    }
  }
  previous_ = lines;
}

void VirtualAceChip::OnInputRead(std::uint8_t lines) {
  if (!programmingMode_ || (phase_ != Phase::Latched && phase_ != Phase::FirstClock)) return;
  shown_ = (lines & pins_.serialOut) != 0 ? Shown::High : Shown::Low;
}

std::uint8_t VirtualAceChip::PulledLow(std::uint64_t nowMicros) const {
  if (serialOutFault_ == SerialOutFault::StuckLow) return powered_ ? pins_.serialOut : 0;
  if (serialOutFault_ == SerialOutFault::StuckHigh || !programmingMode_) return 0;
  bool low = false;
  switch (phase_) {
    case Phase::Shifting:
      low = bitsShifted_ < kCommandBits && ((outputWord_ >> (31 - bitsShifted_)) & 1u) == 0;
      break;
    case Phase::FirstClock:
      low = true;
      break;
    case Phase::Executed:
      low = pending_.active && (pending_.dead || nowMicros < pending_.doneAt);
      break;
    case Phase::Idle:
    case Phase::Latched:
      break;
  }
  return low ? pins_.serialOut : 0;
}

std::uint8_t VirtualAceChip::Code(std::uint32_t address) const {
  return address < ChipContents::kSize ? contents_.code[address] : ChipContents::kBlank;
}

std::uint8_t VirtualAceChip::Data(std::uint32_t address) const {
  return address < ChipContents::kSize ? contents_.data[address] : ChipContents::kBlank;
}

void VirtualAceChip::SetCode(std::uint32_t address, std::uint8_t value) {
  if (address < ChipContents::kSize) contents_.code[address] = value;
}

void VirtualAceChip::SetData(std::uint32_t address, std::uint8_t value) {
  if (address < ChipContents::kSize) contents_.data[address] = value;
}

bool VirtualAceChip::SaveTo(const std::string& path) const {
  return SaveContentsFile(path, contents_);
}

bool VirtualAceChip::LoadFrom(const std::string& path) { return LoadContentsFile(path, contents_); }

void VirtualAceChip::SetDeadCell(MemoryArea area, std::uint32_t address) {
  deadCells_.insert(CellKey(area, address));
}

void VirtualAceChip::SetSlowCell(MemoryArea area, std::uint32_t address, std::uint64_t micros) {
  slowCells_[CellKey(area, address)] = micros;
}

std::uint32_t VirtualAceChip::CellKey(MemoryArea area, std::uint32_t address) {
  return (area == MemoryArea::DataEeprom ? 0x10000u : 0u) | (address & 0xFFFFu);
}

bool VirtualAceChip::VoltagesAllowEntry(const SocketLines& lines) const {
  const std::uint32_t operating = lines.OperatingMillivolts();
  const std::uint32_t programming = lines.ProgrammingMillivolts();
  return operating >= kEntryOperatingMin && operating <= kEntryOperatingMax &&
         programming >= kEntryProgrammingMin && programming <= kEntryProgrammingMax;
}

void VirtualAceChip::EnterProgrammingMode(const SocketLines& lines) {
  programmingMode_ = true;
  ++entries_;
  phase_ = lines.load ? Phase::Shifting : Phase::Idle;
  shiftIn_ = 0;
  bitsShifted_ = 0;
  outputWord_ = 0;
  pending_ = {};
  emptyLoadFall_ = false;
  pullUpsReported_ = false;
  CheckPullUps(lines.pins, true);
}

void VirtualAceChip::LeaveProgrammingMode() {
  programmingMode_ = false;
  phase_ = Phase::Idle;
  pending_ = {};
  emptyLoadFall_ = false;
}

void VirtualAceChip::CheckPullUps(std::uint8_t pins, bool atEntry) {
  if (pullUpsReported_) return;
  const std::uint8_t serialOuts = static_cast<std::uint8_t>(pins_.serialOut | foreignSerialOut_);
  const bool fits = atEntry ? (pins & (serialOuts | pins_.clock)) == pins_.serialOut
                            : (pins & pins_.serialOut) != 0 && (pins & foreignSerialOut_ & ~pins_.clock) == 0;
  if (fits) return;
  pullUpsReported_ = true;
  Violation(FormatText("register 10 pull-ups 0x%02X do not fit a DIP%d chip",
                       static_cast<unsigned>(pins & serialOuts), device_.Package == 8 ? 8 : 14));
}

void VirtualAceChip::OnLoadRise() {
  if (emptyLoadFall_) {
    emptyLoadFall_ = false;
    Violation("LOAD rose again after it fell with no bit shifted");
  }
  // A host that gives up an ending although this chip's SerialOut showed
  // what the ending waits for has read some other line.
  if ((phase_ == Phase::Latched && shown_ == Shown::High) || (phase_ == Phase::FirstClock && shown_ == Shown::Low)) {
    Violation(FormatText("SerialOut read on another line: LOAD raised after command 0x%08X although DIP%d "
                         "SerialOut showed %s",
                         latched_, device_.Package == 8 ? 8 : 14, shown_ == Shown::High ? "high" : "low"));
  }
  pending_ = {};  // an unfinished write is abandoned
  phase_ = Phase::Shifting;
  shiftIn_ = 0;
  bitsShifted_ = 0;
}

void VirtualAceChip::OnLoadFall(std::uint8_t pins) {
  if (phase_ != Phase::Shifting) return;
  if (bitsShifted_ == kCommandBits) {
    latched_ = shiftIn_;
    commands_.push_back(latched_);
    phase_ = Phase::Latched;
    shown_ = Shown::Nothing;
    CheckPullUps(pins, false);
    return;
  }
  // LOAD falling with nothing shifted starts the power-down, unless a clock
  // pulse or LOAD rising shows that the host meant a command.
  if (bitsShifted_ == 0) emptyLoadFall_ = true;
  if (bitsShifted_ != 0) Violation(FormatText("LOAD fell after %u bits", bitsShifted_));
  phase_ = Phase::Idle;
}

void VirtualAceChip::OnClockRise(bool dataBit, std::uint64_t nowMicros) {
  if (emptyLoadFall_) {
    emptyLoadFall_ = false;
    Violation("CLK pulsed after LOAD fell with no bit shifted");
  }
  switch (phase_) {
    case Phase::Shifting:
      shiftIn_ = (shiftIn_ << 1) | (dataBit ? 1u : 0u);
      ++bitsShifted_;
      break;
    case Phase::Latched:
      phase_ = Phase::FirstClock;
      shown_ = Shown::Nothing;
      break;
    case Phase::FirstClock:
      phase_ = Phase::Executed;
      Execute(nowMicros);
      break;
    case Phase::Executed:
      Violation(FormatText("extra CLK pulse after command 0x%08X", latched_));
      break;
    case Phase::Idle:
      break;
  }
}

void VirtualAceChip::Execute(std::uint64_t nowMicros) {
  const auto command = static_cast<std::uint8_t>(latched_ >> 24);
  const auto address = static_cast<std::uint16_t>(latched_ >> 8);
  const auto value = static_cast<std::uint8_t>(latched_);
  switch (command) {
    case kReadCode:
    case kReadData:
      outputWord_ = ReadCell(command, address);
      break;
    case kWriteCode:
    case kWriteData:
      StartWrite(command, address, value, nowMicros);
      break;
    default:
      Violation(FormatText("unknown command 0x%08X", latched_));
      break;
  }
}

void VirtualAceChip::StartWrite(std::uint8_t command, std::uint16_t address, std::uint8_t value,
                                std::uint64_t nowMicros) {
  const MemoryArea area = command == kWriteCode ? MemoryArea::ProgramMemory : MemoryArea::DataEeprom;
  const std::uint32_t key = CellKey(area, address);
  std::uint64_t duration = programMicros_;
  if (!slowCells_.empty()) {
    const auto slow = slowCells_.find(key);
    if (slow != slowCells_.end()) duration = slow->second;
  }
  pending_.active = true;
  pending_.dead = !deadCells_.empty() && deadCells_.count(key) != 0;
  pending_.command = command;
  pending_.address = address;
  pending_.value = value;
  pending_.doneAt = nowMicros + duration;
}

void VirtualAceChip::FinishProgrammingIfDue(std::uint64_t nowMicros) {
  if (!pending_.active || pending_.dead || nowMicros < pending_.doneAt) return;
  StoreWrite(pending_);
  pending_ = {};
}

void VirtualAceChip::StoreWrite(const PendingWrite& write) {
  if ((contents_.initRegister1 & kWriteDisableBit) != 0) return;
  if (write.command == kWriteCode) {
    if (IsCodeCell(write.address)) contents_.code[write.address] = write.value;
  } else if (IsInitRegister1(write.address)) {
    contents_.initRegister1 = write.value;
  } else if (IsDataCell(write.address)) {
    contents_.data[write.address] = write.value;
  }
}

std::uint8_t VirtualAceChip::ReadCell(std::uint8_t command, std::uint16_t address) const {
  if (command == kReadData && IsInitRegister1(address)) return contents_.initRegister1;
  if ((contents_.initRegister1 & kReadProtectBit) != 0) return kProtectedRead;
  if (command == kReadCode) return IsCodeCell(address) ? contents_.code[address] : ChipContents::kBlank;
  return IsDataCell(address) ? contents_.data[address] : ChipContents::kBlank;
}

bool VirtualAceChip::IsCodeCell(std::uint32_t address) const {
  return address >= device_.CodeStart && address < device_.CodeEnd;
}

bool VirtualAceChip::IsDataCell(std::uint32_t address) const {
  return device_.DataEnd != 0 && address >= device_.DataStart && address < device_.DataEnd;
}

bool VirtualAceChip::IsInitRegister1(std::uint32_t address) const {
  return address == (device_.InitRegister1Address & 0xFFFFu);
}

void VirtualAceChip::Violation(const std::string& what) { violations_.push_back(what); }

}  // namespace ferolith::sim
