#include "trace/TraceFormatter.h"

#include <algorithm>
#include <bit>

namespace ferolith {

namespace {

// Signal numbers in the order they are declared; signal s is bit s of the
// formatter's state.
constexpr int kData = 0;             // D0-D7
constexpr int kControl = 8;          // C0-C3
constexpr int kStatus = 12;          // S3-S7
constexpr int kRegisterNumber = 17;  // REG1-REG3
constexpr int kRegisterValue = 20;   // VAL0-VAL7
constexpr int kWritePulse = 28;      // WR
constexpr int kExtras = 29;
constexpr std::size_t kMaxExtraWires = 31;
constexpr std::size_t kMaxReals = 4;

constexpr std::uint64_t kDataMask = std::uint64_t{0xFF} << kData;
constexpr std::uint64_t kControlMask = std::uint64_t{0x0F} << kControl;
constexpr std::uint64_t kStatusMask = std::uint64_t{0x1F} << kStatus;
constexpr std::uint64_t kRegisterNumberMask = std::uint64_t{0x07} << kRegisterNumber;
constexpr std::uint64_t kRegisterValueMask = std::uint64_t{0xFF} << kRegisterValue;
constexpr std::uint64_t kWritePulseBit = std::uint64_t{1} << kWritePulse;
constexpr std::uint64_t kStrobeBit = std::uint64_t{1} << kControl;

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kBusy = 0x80;

constexpr const char* kPortNames[] = {
    "D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7",
    "C0_STROBE", "C1_AUTOFD", "C2_INIT", "C3_SELECTIN",
    "S3_ERROR", "S4_SELECT", "S5_PAPEROUT", "S6_ACK", "S7_BUSY"};
constexpr const char* kRegisterNames[] = {"REG1", "REG2", "REG3", "VAL0", "VAL1", "VAL2",
                                          "VAL3", "VAL4", "VAL5", "VAL6", "VAL7", "WR"};

std::uint32_t Load32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

TraceFormatter::TraceFormatter(std::unique_ptr<VcdWriter> writer, const std::vector<std::string>& extraWires,
                               const std::vector<std::string>& extraReals, std::uint32_t slotMicros)
    : writer_(std::move(writer)),
      wires_((std::uint64_t{1} << (kExtras + std::min(extraWires.size(), kMaxExtraWires))) - 1),
      firstReal_(kExtras + static_cast<int>(std::min(extraWires.size(), kMaxExtraWires))),
      reals_(std::min(extraReals.size(), kMaxReals)),
      slotMicros_(std::max<std::uint32_t>(slotMicros, 1)) {
  for (const char* name : kPortNames) writer_->AddWire("port", name);
  for (const char* name : kRegisterNames) writer_->AddWire("register", name);
  for (int i = kExtras; i < firstReal_; ++i) writer_->AddWire("chip", extraWires[static_cast<std::size_t>(i - kExtras)]);
  for (std::size_t i = 0; i < reals_; ++i) writer_->AddReal("chip", extraReals[i]);
  writer_->EndDefinitions();
}

inline void TraceFormatter::Set(std::uint64_t mask, std::uint64_t bits) {
  const std::uint64_t changed = ((state_ ^ bits) | unknown_) & mask;
  if ((changed & pending_) != 0) NextMicrosecond();
  pending_ |= changed;
  unknown_ &= ~mask;
  state_ = (state_ & ~mask) | bits;
}

void TraceFormatter::SetReal(std::size_t index, std::uint32_t millivolts) {
  const std::uint64_t bit = std::uint64_t{1} << (firstReal_ + static_cast<int>(index));
  if (millivolts == millivolts_[index] && (unknown_ & bit) == 0) return;
  if ((pending_ & bit) != 0) NextMicrosecond();
  pending_ |= bit;
  unknown_ &= ~bit;
  millivolts_[index] = millivolts;
}

void TraceFormatter::StartPhase(std::uint64_t planned) {
  Flush();
  BeginWindow(anyWritten_ ? std::max(planned, written_ + 1) : planned);
}

void TraceFormatter::NextMicrosecond() {
  Flush();
  BeginWindow(written_ + 1);
}

void TraceFormatter::BeginWindow(std::uint64_t micros) {
  window_ = micros;
  // The pulse on WR ends with the first change after it.
  if ((state_ & kWritePulseBit) != 0) Set(kWritePulseBit, 0);
}

void TraceFormatter::Flush() {
  if (pending_ == 0) return;
  if (window_ != written_) writer_->Time(window_);
  written_ = window_;
  anyWritten_ = true;
  writer_->Wires(pending_ & wires_, state_);
  for (std::uint64_t reals = pending_ & ~wires_; reals != 0; reals &= reals - 1) {
    const int signal = std::countr_zero(reals);
    writer_->Real(signal, millivolts_[signal - firstReal_] / 1000.0);
  }
  pending_ = 0;
}

void TraceFormatter::Completed() {
  strobeRisen_ = false;
  const std::uint64_t registerNumber = (state_ >> (kControl + 1)) & 0x07;
  Set(kRegisterNumberMask, registerNumber << kRegisterNumber);
  Set(kRegisterValueMask, (state_ & kDataMask) << kRegisterValue);
  Set(kWritePulseBit, kWritePulseBit);
}

void TraceFormatter::Format(std::span<const std::uint8_t> records) {
  const std::uint8_t* at = records.data();
  const std::uint8_t* const end = at + records.size();
  while (at < end) {
    const auto tag = static_cast<TraceTag>(at[0]);
    const std::uint64_t value = at[1];
    if (tag == TraceTag::DataWrite) {
      // A register write begins: its slot starts where the last one ends.
      if (slotOpen_) slotStart_ += slotMicros_;
      StartPhase(slotStart_);
    }
    if (tag != TraceTag::SlotLength) slotOpen_ = true;
    switch (tag) {
      case TraceTag::DataWrite:
      case TraceTag::DataRead:
        Set(kDataMask, value << kData);
        at += 2;
        break;
      case TraceTag::ControlWrite:
        if ((value & kStrobe) != 0 && (state_ & kStrobeBit) == 0) {
          // The rising strobe: the programmer takes the byte.
          StartPhase(slotStart_ + slotMicros_ / 2);
          strobeRisen_ = true;
        }
        [[fallthrough]];
      case TraceTag::ControlRead:
        Set(kControlMask, (value & 0x0F) << kControl);
        at += 2;
        break;
      case TraceTag::StatusRead:
        Set(kStatusMask, (value >> 3) << kStatus);
        // The programmer confirmed the byte the rising strobe handed over.
        if (strobeRisen_ && (value & kBusy) == 0) Completed();
        at += 2;
        break;
      case TraceTag::ChipWires:
        Set(wires_ & ~((std::uint64_t{1} << kExtras) - 1), std::uint64_t{Load32(at + 1)} << kExtras & wires_);
        at += 5;
        break;
      case TraceTag::ChipReal:
        if (at[1] < reals_) SetReal(at[1], Load32(at + 2));
        at += 6;
        break;
      case TraceTag::SlotLength:
        slotMicros_ = std::max<std::uint32_t>(Load32(at + 1), 1);
        at += 5;
        break;
      default: return;
    }
  }
}

bool TraceFormatter::Finish() {
  Flush();
  if ((state_ & kWritePulseBit) != 0) {
    BeginWindow(std::max(written_ + 1, slotStart_ + slotMicros_));
    Flush();
  }
  return writer_->Close();
}

}  // namespace ferolith
