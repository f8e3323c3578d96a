#include "link/RegisterLink.h"

#include <cassert>
#include <limits>

#include "core/AccessCount.h"

namespace ferolith {

namespace {

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kBusy = 0x80;
// Bits 1-3 of the control byte carry the register index; the strobe is bit 0.
// The other control bits (interrupt enable, data direction) are never touched.
constexpr std::uint8_t kRegisterSelectMask = 0x0E;

constexpr const char* kTimeoutText =
    "\nTimeout-Fehler bei Datenübertragung !!\n\nMögliche Fehler:\n\n"
    "Brenner nicht eingeschaltet.\nBrenner an der falschen Schnittstelle oder\n"
    "gar nicht angeschlossen.\nFalsche Port-Adresse in den PREFS.\n"
    "Kabel defekt oder viel zu lang.\nEin Druckerumschalter falsch geschaltet ?\n"
    "Baustein im Sockel vergessen !!";

// Where the input bits arrive in the status byte: result bit i (and i + 4
// for the second write) comes from this status bit.
constexpr int kInputSourceBit[4] = {6, 3, 4, 5};

std::uint8_t InputNibble(std::uint8_t status) {
  std::uint8_t nibble = 0;
  for (int i = 0; i < 4; ++i) {
    if ((static_cast<unsigned>(status) >> kInputSourceBit[i]) & 1u) nibble = static_cast<std::uint8_t>(nibble | (1u << i));
  }
  return nibble;
}

}  // namespace

std::uint8_t& RegisterShadow::Of(int reg) {
  switch (reg) {
    case Reg::R0: return reg0;
    case Reg::R4: return reg4;
    case Reg::R6: return reg6;
    case Reg::R8: return reg8;
    default:
      assert(reg == Reg::R10 && "registers 2, 12 and 14 have no shadow");
      return reg10;
  }
}

RegisterLink::RegisterLink(PortIo& port, UiServices& ui, const Settings& settings)
    : port_(&port), ui_(ui), settings_(settings) {}

bool RegisterLink::WaitForStatusBit7(bool awaited) {
  const std::uint16_t statusPort = settings_.StatusPort;
  // The wait is bounded by a number of status reads: the read that brings the
  // counter to 0 fails the wait whatever it shows. A TimeOut of 0 or 1 thus
  // fails at the first read instead of counting down from the top.
  std::uint32_t remaining = settings_.TimeOut;
  for (;;) {
    const std::uint8_t status = port_->Read(statusPort);
    if (remaining <= 1) return false;
    --remaining;
    if (((status & kBusy) != 0) == awaited) {
      lastRead_ = status;
      return true;
    }
    Tick();
  }
}

ResultCode RegisterLink::WriteRegister(int reg, std::uint8_t value) {
  const auto dataPort = static_cast<std::uint16_t>(settings_.PortAdress);
  const std::uint16_t controlPort = settings_.ControlPort;
  port_->Write(dataPort, value);
  control_ = static_cast<std::uint8_t>(static_cast<unsigned>(reg) & kRegisterSelectMask);
  port_->Write(controlPort, control_);
  if (!WaitForStatusBit7(true)) {
    ShowTimeoutMessage();
    return Result::HandshakeTimeout;
  }
  control_ = static_cast<std::uint8_t>(control_ | kStrobe);
  port_->Write(controlPort, control_);
  if (!WaitForStatusBit7(false)) {
    ShowTimeoutMessage();
    return Result::HandshakeTimeout;
  }
  lastStatus_ = lastRead_;
  Tick();
  return Result::Ok;
}

ResultCode RegisterLink::WriteShadow(int reg) { return WriteRegister(reg, shadow_.Of(reg)); }

ResultCode RegisterLink::Drive(Line line, bool high) {
  std::uint8_t& shadow = shadow_.Of(line.reg);
  shadow = static_cast<std::uint8_t>(high ? shadow | line.bit : shadow & ~line.bit);
  return WriteShadow(line.reg);
}

ResultCode RegisterLink::KeepBits(int reg, std::uint8_t mask) {
  std::uint8_t& shadow = shadow_.Of(reg);
  shadow = static_cast<std::uint8_t>(shadow & mask);
  return WriteShadow(reg);
}

std::uint8_t RegisterLink::ReadInput() {
  WriteShadow(Reg::R4);
  const std::uint8_t low = InputNibble(lastStatus_);
  WriteShadow(Reg::R8);
  const std::uint8_t high = InputNibble(lastStatus_);
  return static_cast<std::uint8_t>(low | (high << 4));
}

ResultCode RegisterLink::PulseTimingBit(std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    Raise(Lines::Timing);
    Lower(Lines::Timing);
  }
  return Result::Ok;
}

ResultCode RegisterLink::DelayMs(std::uint32_t milliseconds) {
  // Saturate instead of letting milliseconds x 1000 wrap into a short delay.
  constexpr std::uint32_t kMaxMicros = std::numeric_limits<std::uint32_t>::max();
  const std::uint32_t micros = milliseconds > kMaxMicros / 1000u ? kMaxMicros : milliseconds * 1000u;
  // At least one write: the first raises the timing bit, the rest hold it.
  const std::uint32_t writes = AccessCount(micros);
  ResultCode written = Raise(Lines::Timing);
  for (std::uint32_t i = 1; i < writes && written == Result::Ok; ++i) written = WriteShadow(Reg::R4);
  if (written != Result::Ok) return Result::DelayCutShort;
  Lower(Lines::Timing);
  return Result::Ok;
}

std::uint32_t RegisterLink::AccessCount(std::uint32_t microseconds) const {
  const std::int32_t korr = settings_.TimeBaseKorr;
  return ferolith::AccessCount(microseconds, korr > 0 ? static_cast<std::uint32_t>(korr) : 0u);
}

ResultCode RegisterLink::DetectProgrammer() {
  if (AnswerLoneStrobe() != Result::Ok) return Result::HandshakeTimeout;
  if (WakeProgrammer() != Result::Ok) return Result::ProgrammerNotFound;
  ClearRegisters();
  for (const std::uint8_t pattern : kLoopBackPatterns) {
    if (LoopBack(pattern) != pattern) return Result::ProgrammerNotFound;
  }
  WriteRegister(Reg::R10, 0);
  return Result::Ok;
}

ResultCode RegisterLink::AnswerLoneStrobe() {
  shadow_.reg0 = 0;
  shadow_.reg4 = 0;
  shadow_.reg8 = 0;
  shadow_.reg10 = 0;
  control_ = kStrobe;
  port_->Write(settings_.ControlPort, control_);
  if (!WaitForStatusBit7(false)) {
    ShowTimeoutMessage();
    return Result::HandshakeTimeout;
  }
  return Result::Ok;
}

ResultCode RegisterLink::WakeProgrammer() {
  for (const int reg : {Reg::R12, Reg::R14}) {
    if (WriteRegister(reg, 0x80) != Result::Ok) return Result::ProgrammerNotFound;
  }
  return Result::Ok;
}

void RegisterLink::ClearRegisters() {
  shadow_.reg6 = 0;
  WriteShadow(Reg::R6);
  WriteRegister(Reg::R2, 0);
  WriteShadow(Reg::R0);
  WriteShadow(Reg::R8);
  WriteShadow(Reg::R4);
}

std::uint8_t RegisterLink::LoopBack(std::uint8_t pattern) {
  WriteRegister(Reg::R10, pattern);
  return ReadInput();
}

void RegisterLink::ShowTimeoutMessage() {
  ++timeouts_;
  ui_.MessageInfo(kTimeoutText);
}

}  // namespace ferolith
