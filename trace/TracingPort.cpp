#include "trace/TracingPort.h"

#include <utility>

namespace ferolith {

namespace {

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::size_t kMaxExtraWires = 31;
constexpr std::size_t kMaxReals = 4;
constexpr std::size_t kBlocks = 8;
constexpr std::size_t kBlockSize = std::size_t{1} << 20;

TraceExtras Bounded(TraceExtras extras) {
  if (extras.wires.size() > kMaxExtraWires) extras.wires.resize(kMaxExtraWires);
  if (extras.reals.size() > kMaxReals) extras.reals.resize(kMaxReals);
  return extras;
}

std::uint32_t SlotMicros(std::int32_t timeBaseKorr) {
  return timeBaseKorr > 0 ? static_cast<std::uint32_t>(timeBaseKorr) : 1u;
}

}  // namespace

TracingPort::TracingPort(std::unique_ptr<VcdWriter> writer, const Settings& settings, TraceExtras extras)
    : settings_(settings),
      extras_(Bounded(std::move(extras))),
      queue_(kBlocks, kBlockSize),
      block_(queue_.Empty()),
      cursor_(block_.bytes.get()),
      limit_(cursor_ + kBlockSize - kLongestTraceRecord),
      slotMicros_(settings.TimeBaseKorr),
      millivolts_(extras_.reals.size()),
      formatter_(std::move(writer), extras_.wires, extras_.reals, SlotMicros(settings.TimeBaseKorr)) {
  writer_ = std::thread([this] { WriteBlocks(); });
}

TracingPort::~TracingPort() { Close(); }

bool TracingPort::Close() {
  if (closed_) return written_;
  closed_ = true;
  block_.used = static_cast<std::size_t>(cursor_ - block_.bytes.get());
  queue_.Filled(std::move(block_));
  queue_.Close();
  writer_.join();
  written_ = formatter_.Finish();
  return written_;
}

void TracingPort::WriteBlocks() {
  while (std::optional<BlockQueue::Block> block = queue_.Next()) {
    formatter_.Format({block->bytes.get(), block->used});
    queue_.Emptied(std::move(*block));
  }
}

void TracingPort::NextBlock() {
  block_.used = static_cast<std::size_t>(cursor_ - block_.bytes.get());
  queue_.Filled(std::move(block_));
  block_ = queue_.Empty();
  cursor_ = block_.bytes.get();
  limit_ = cursor_ + queue_.BlockSize() - kLongestTraceRecord;
}

void TracingPort::PutWord(TraceTag tag, std::uint8_t index, std::uint32_t value) {
  if (cursor_ > limit_) NextBlock();
  *cursor_++ = static_cast<std::uint8_t>(tag);
  if (tag == TraceTag::ChipReal) *cursor_++ = index;
  for (int shift = 0; shift < 32; shift += 8) *cursor_++ = static_cast<std::uint8_t>(value >> shift);
  last_ = 0xFFFF;
}

void TracingPort::NoteSlotLength() {
  if (settings_.TimeBaseKorr == slotMicros_) return;
  slotMicros_ = settings_.TimeBaseKorr;
  PutWord(TraceTag::SlotLength, 0, SlotMicros(slotMicros_));
}

void TracingPort::SampleExtras() {
  const bool first = !sampled_;
  sampled_ = true;
  if (!extras_.sample) return;
  std::uint32_t wires = 0;
  std::uint32_t millivolts[kMaxReals] = {};
  extras_.sample(wires, millivolts);
  if (first || wires != chipWires_) {
    chipWires_ = wires;
    PutWord(TraceTag::ChipWires, 0, wires);
  }
  for (std::size_t i = 0; i < millivolts_.size(); ++i) {
    if (!first && millivolts[i] == millivolts_[i]) continue;
    millivolts_[i] = millivolts[i];
    PutWord(TraceTag::ChipReal, static_cast<std::uint8_t>(i), millivolts[i]);
  }
}

std::uint8_t TracingPort::Read(std::uint16_t address) {
  const std::uint8_t value = port_->Read(address);
  switch (address - settings_.PortAdress) {
    case 0: PutRead(TraceTag::DataRead, value); break;
    case 1: PutRead(TraceTag::StatusRead, value); break;
    case 2: PutRead(TraceTag::ControlRead, value); break;
    default: break;
  }
  return value;
}

void TracingPort::Write(std::uint16_t address, std::uint8_t value) {
  bool rising = false;
  switch (address - settings_.PortAdress) {
    case 0:
      // A new length counts from this register write on, not for the one
      // before it.
      Put(TraceTag::DataWrite, value);
      NoteSlotLength();
      break;
    case 2:
      rising = (value & kStrobe) != 0 && (control_ & kStrobe) == 0;
      control_ = value;
      if (rising) NoteSlotLength();
      Put(TraceTag::ControlWrite, value);
      break;
    default: break;
  }
  port_->Write(address, value);
  if (rising || !sampled_) SampleExtras();
}

}  // namespace ferolith
