#include "tests/support/FaultyPort.h"

#include <utility>

namespace ferolith::testing {

namespace {

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kRegisterSelect = 0x0E;
constexpr std::uint8_t kBusy = 0x80;
constexpr std::uint8_t kInputBits = 0x78;
// A write sent whole by the decorator gives up after this many status reads
// per wait, so that a test never hangs on a programmer that does not answer.
constexpr int kWaitLimit = 1000;

}  // namespace

FaultyPort::FaultyPort(PortIo& programmer, std::uint16_t base) : programmer_(programmer), base_(base) {}

void FaultyPort::Drop(WriteSelector which) { rules_.push_back({Fault::Drop, std::move(which), {}}); }

void FaultyPort::Delay(WriteSelector which, WriteSelector until) {
  rules_.push_back({Fault::Delay, std::move(which), std::move(until)});
}

void FaultyPort::SkipWaits(WriteSelector which) { rules_.push_back({Fault::SkipWaits, std::move(which), {}}); }

void FaultyPort::SwapStatusBits(int first, int second) {
  swapFirst_ = first;
  swapSecond_ = second;
}

bool FaultyPort::Answering() const { return open_ && current_ != Fault::None; }

std::uint8_t FaultyPort::Read(std::uint16_t address) {
  if (address != base_ + 1) return programmer_.Read(address);
  if (Answering()) {
    // What the host waits for: ready before its strobe, taken after it.
    const auto inputs = static_cast<std::uint8_t>(lastStatus_ & kInputBits);
    return strobed_ ? inputs : static_cast<std::uint8_t>(inputs | kBusy);
  }
  const std::uint8_t status = programmer_.Read(address);
  lastStatus_ = Swapped(status);
  if (lastStatus_ != status) ++broken_;
  return lastStatus_;
}

void FaultyPort::Write(std::uint16_t address, std::uint8_t value) {
  if (address == base_) {
    // Held until the register number shows which write it belongs to.
    pendingData_ = value;
    return;
  }
  if (address != base_ + 2) {
    programmer_.Write(address, value);
    return;
  }
  if ((value & kStrobe) == 0) {
    StartWrite(value);
    return;
  }
  if (!open_ || strobed_) {
    // A strobe on its own (detection starts with one): no write to break.
    open_ = false;
    current_ = Fault::None;
    if (pendingData_) programmer_.Write(base_, *std::exchange(pendingData_, std::nullopt));
    programmer_.Write(address, value);
    return;
  }
  strobed_ = true;
  if (current_ == Fault::Drop || current_ == Fault::Delay) return;
  programmer_.Write(address, value);
}

void FaultyPort::StartWrite(std::uint8_t control) {
  SendDueWrites();
  const HostWrite write{control & kRegisterSelect, pendingData_.value_or(lastData_), ++writes_};
  lastData_ = write.value;
  open_ = true;
  strobed_ = false;
  current_ = Fault::None;
  MarkDueWrites(write);
  for (const Rule& rule : rules_) {
    if (!rule.which(write)) continue;
    current_ = rule.fault;
    ++broken_;
    if (rule.fault == Fault::Delay) held_.push_back({write, rule.until});
    break;
  }
  if (current_ == Fault::Drop || current_ == Fault::Delay) {
    pendingData_.reset();
    return;
  }
  if (pendingData_) programmer_.Write(base_, *std::exchange(pendingData_, std::nullopt));
  programmer_.Write(static_cast<std::uint16_t>(base_ + 2), control);
}

void FaultyPort::MarkDueWrites(const HostWrite& write) {
  for (Held& held : held_) {
    if (!held.due && held.until(write)) held.due = true;
  }
}

void FaultyPort::SendDueWrites() {
  std::vector<Held> still;
  for (Held& held : held_) {
    if (held.due) {
      SendWhole(held.write);
    } else {
      still.push_back(std::move(held));
    }
  }
  held_ = std::move(still);
}

void FaultyPort::SendWhole(const HostWrite& write) {
  const auto control = static_cast<std::uint16_t>(base_ + 2);
  const auto status = static_cast<std::uint16_t>(base_ + 1);
  programmer_.Write(base_, write.value);
  programmer_.Write(control, static_cast<std::uint8_t>(write.reg));
  for (int i = 0; i < kWaitLimit && (programmer_.Read(status) & kBusy) == 0; ++i) {
  }
  programmer_.Write(control, static_cast<std::uint8_t>(write.reg | kStrobe));
  for (int i = 0; i < kWaitLimit && (programmer_.Read(status) & kBusy) != 0; ++i) {
  }
}

std::uint8_t FaultyPort::Swapped(std::uint8_t status) const {
  if (swapFirst_ < 0) return status;
  const unsigned first = (static_cast<unsigned>(status) >> swapFirst_) & 1u;
  const unsigned second = (static_cast<unsigned>(status) >> swapSecond_) & 1u;
  if (first == second) return status;
  return static_cast<std::uint8_t>(status ^ ((1u << swapFirst_) | (1u << swapSecond_)));
}

}  // namespace ferolith::testing
