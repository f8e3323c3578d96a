#include "hardware/TracingPort.h"

#include <utility>

namespace ferolith {

namespace {

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kBusy = 0x80;
constexpr std::uint8_t kRegisterSelect = 0x0E;
constexpr std::size_t kMaxExtraWires = 32;
constexpr std::size_t kMaxReals = 4;
// Records per block handed to the writing thread.
constexpr std::size_t kBlockRecords = std::size_t{1} << 16;

TraceExtras Bounded(TraceExtras extras) {
  if (extras.wires.size() > kMaxExtraWires) extras.wires.resize(kMaxExtraWires);
  if (extras.reals.size() > kMaxReals) extras.reals.resize(kMaxReals);
  return extras;
}

}  // namespace

TracingPort::TracingPort(std::unique_ptr<VcdWriter> writer, const Settings& settings, TraceExtras extras)
    : settings_(settings),
      extras_(Bounded(std::move(extras))),
      millivolts_(extras_.reals.size()),
      formatter_(std::move(writer), extras_.wires, extras_.reals) {
  block_.reserve(kBlockRecords + 64);
  handed_.reserve(kBlockRecords + 64);
  writing_.reserve(kBlockRecords + 64);
  writer_ = std::thread([this] { WriteBlocks(); });
}

TracingPort::~TracingPort() {
  if (accesses_ > 0) CloseSlot();
  Hand();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  changed_.notify_all();
  writer_.join();
  formatter_.Finish();
}

void TracingPort::WriteBlocks() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return !handed_.empty() || done_; });
      if (handed_.empty()) return;
      std::swap(handed_, writing_);
    }
    changed_.notify_all();
    formatter_.Format(writing_);
    writing_.clear();
  }
}

void TracingPort::Hand() {
  if (block_.empty()) return;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return handed_.empty(); });
    std::swap(handed_, block_);
  }
  changed_.notify_all();
}

void TracingPort::Note(Seen& seen, TraceRecord::Kind kind, std::uint8_t value) {
  if (seen.known && seen.value == value) return;
  seen = {value, true};
  block_.push_back({kind, 0, current_, value});
}

void TracingPort::SampleExtras() {
  const bool first = !sampled_;
  sampled_ = true;
  if (!extras_.sample) return;
  std::uint32_t wires = 0;
  std::uint32_t millivolts[kMaxReals] = {};
  extras_.sample(wires, millivolts);
  if (first || wires != chipWires_) {
    block_.push_back({TraceRecord::Kind::ChipWires, 0, current_, wires});
    chipWires_ = wires;
  }
  for (std::size_t i = 0; i < millivolts_.size(); ++i) {
    if (!first && millivolts[i] == millivolts_[i]) continue;
    millivolts_[i] = millivolts[i];
    block_.push_back({TraceRecord::Kind::ChipReal, static_cast<std::uint8_t>(i), current_, millivolts[i]});
  }
}

std::uint8_t TracingPort::Read(std::uint16_t address) {
  const std::uint8_t value = port_->Read(address);
  current_ = accesses_++;
  switch (address - settings_.PortAdress) {
    case 0: Note(data_, TraceRecord::Kind::Data, value); break;
    case 1:
      Note(status_, TraceRecord::Kind::Status, value);
      if (strobeRisen_ && (value & kBusy) == 0) {
        // The programmer confirmed the byte the rising strobe handed over.
        strobeRisen_ = false;
        block_.push_back({TraceRecord::Kind::Completed, 0, current_,
                          static_cast<std::uint32_t>((control_.value & kRegisterSelect) << 8 | data_.value)});
      }
      break;
    case 2: Note(control_, TraceRecord::Kind::Control, value); break;
    default: break;
  }
  return value;
}

void TracingPort::Write(std::uint16_t address, std::uint8_t value) {
  const int offset = address - settings_.PortAdress;
  // Each register write begins with its data: a new slot of the time base.
  if (offset == 0 && accesses_ > 0) CloseSlot();
  current_ = accesses_++;
  bool rising = false;
  if (offset == 0) {
    Note(data_, TraceRecord::Kind::Data, value);
  } else if (offset == 2) {
    rising = (value & kStrobe) != 0 && (control_.value & kStrobe) == 0;
    strobeRisen_ = strobeRisen_ || rising;
    Note(control_, TraceRecord::Kind::Control, value);
  }
  port_->Write(address, value);
  if (rising || !sampled_) SampleExtras();
}

void TracingPort::CloseSlot() {
  const auto slot = static_cast<std::uint32_t>(settings_.TimeBaseKorr > 0 ? settings_.TimeBaseKorr : 1);
  block_.push_back({TraceRecord::Kind::SlotEnd, 0, slot, accesses_});
  accesses_ = 0;
  if (block_.size() >= kBlockRecords) Hand();
}

}  // namespace ferolith
