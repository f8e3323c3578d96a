#include "hardware/TraceFormatter.h"

#include <algorithm>
#include <bit>

namespace ferolith {

namespace {

// Signal numbers in the order they are declared.
constexpr int kData = 0;             // D0-D7
constexpr int kControl = 8;          // C0-C3
constexpr int kStatus = 12;          // S3-S7
constexpr int kRegisterNumber = 17;  // REG1-REG3
constexpr int kRegisterValue = 20;   // VAL0-VAL7
constexpr int kWritePulse = 28;      // WR
constexpr int kExtras = 29;

constexpr const char* kPortNames[] = {
    "D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7",
    "C0_STROBE", "C1_AUTOFD", "C2_INIT", "C3_SELECTIN",
    "S3_ERROR", "S4_SELECT", "S5_PAPEROUT", "S6_ACK", "S7_BUSY"};
constexpr const char* kRegisterNames[] = {"REG1", "REG2", "REG3", "VAL0", "VAL1", "VAL2",
                                          "VAL3", "VAL4", "VAL5", "VAL6", "VAL7", "WR"};

}  // namespace

TraceFormatter::TraceFormatter(std::unique_ptr<VcdWriter> writer, const std::vector<std::string>& extraWires,
                               const std::vector<std::string>& extraReals)
    : writer_(std::move(writer)), extraWires_(extraWires.size()), reals_(extraReals.size()) {
  for (const char* name : kPortNames) writer_->AddWire("port", name);
  for (const char* name : kRegisterNames) writer_->AddWire("register", name);
  for (const std::string& name : extraWires) writer_->AddWire("chip", name);
  for (const std::string& name : extraReals) writer_->AddReal("chip", name);
  writer_->EndDefinitions();
}

void TraceFormatter::Bits(std::uint64_t micros, Lines& lines, std::uint32_t value, std::uint32_t mask,
                          int firstSignal, int firstBit) {
  std::uint32_t changed = ((value ^ lines.value) | ~lines.known) & mask;
  lines.value = (lines.value & ~mask) | (value & mask);
  lines.known |= mask;
  for (; changed != 0; changed &= changed - 1) {
    const int bit = std::countr_zero(changed);
    writer_->Wire(micros, firstSignal + bit - firstBit, ((value >> bit) & 1u) != 0);
  }
}

void TraceFormatter::Emit(std::uint64_t micros, const TraceRecord& record) {
  if (writePulseEnds_ && micros >= *writePulseEnds_) {
    writer_->Wire(*writePulseEnds_, kWritePulse, false);
    writePulseEnds_.reset();
  }
  switch (record.kind) {
    case TraceRecord::Kind::Data: Bits(micros, data_, record.value, 0xFF, kData, 0); break;
    case TraceRecord::Kind::Control: Bits(micros, control_, record.value, 0x0F, kControl, 0); break;
    case TraceRecord::Kind::Status: Bits(micros, status_, record.value, 0xF8, kStatus, 3); break;
    case TraceRecord::Kind::Completed:
      Bits(micros, registerNumber_, record.value >> 8, 0x0E, kRegisterNumber, 1);
      Bits(micros, registerValue_, record.value & 0xFFu, 0xFF, kRegisterValue, 0);
      writer_->Wire(micros, kWritePulse, true);
      break;
    case TraceRecord::Kind::ChipWires: {
      const std::uint32_t mask = extraWires_ >= 32 ? ~0u : (1u << extraWires_) - 1;
      Bits(micros, chip_, record.value, mask, kExtras, 0);
      break;
    }
    case TraceRecord::Kind::ChipReal:
      if (record.index < reals_.size() && reals_[record.index] != record.value) {
        reals_[record.index] = record.value;
        writer_->Real(micros, static_cast<int>(kExtras + extraWires_ + record.index), record.value / 1000.0);
      }
      break;
    case TraceRecord::Kind::SlotEnd: break;
  }
}

void TraceFormatter::Format(std::span<const TraceRecord> records) {
  std::size_t begin = 0;
  while (begin < records.size()) {
    std::size_t end = begin;
    while (end < records.size() && records[end].kind != TraceRecord::Kind::SlotEnd) ++end;
    if (end == records.size()) break;  // a slot without its end: not written
    const std::uint64_t slot = records[end].access;
    const std::uint64_t accesses = records[end].value > 0 ? records[end].value : 1;
    // Access i of n sits at i * slot / n microseconds into the slot (16 bits
    // of fraction instead of a division for each change).
    const std::uint64_t step = (slot << 16) / accesses;
    for (std::size_t i = begin; i < end; ++i) {
      const TraceRecord& record = records[i];
      const std::uint64_t at = slotStart_ + ((record.access * step) >> 16);
      Emit(at, record);
      // The pulse on WR lasts until the next access, at least a microsecond.
      if (record.kind == TraceRecord::Kind::Completed) {
        writePulseEnds_ = std::max(at + 1, slotStart_ + (((record.access + 1) * step) >> 16));
      }
    }
    slotStart_ += slot;
    begin = end + 1;
  }
}

bool TraceFormatter::Finish() {
  if (writePulseEnds_) writer_->Wire(*writePulseEnds_, kWritePulse, false);
  writePulseEnds_.reset();
  return writer_->Flush();
}

}  // namespace ferolith
