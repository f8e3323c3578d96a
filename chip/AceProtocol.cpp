#include "chip/AceProtocol.h"

#include "chip/CommandWord.h"

namespace ferolith {

namespace {
constexpr char kSerialOutNotHighAfterLoad[] = "SerialOut geht nicht auf 5V nach LOAD=0 !\n";
constexpr char kSerialOutNotLowAfterClock[] = "SerialOut geht nicht auf 0V nach erstem CLK-Puls !\n";
constexpr char kProgrammingTimeExceeded[] = "Maximale Programmierzeit überschritten !";
}  // namespace

AceProtocol::AceProtocol(RegisterLink& link, UiServices& ui, const DeviceEntry& device)
    : link_(link), ui_(ui), device_(device) {}

std::uint32_t AceProtocol::ShiftCommandWord(std::uint32_t word) {
  const ChipLines lines = ChipLinesFor(device_.Package);
  std::uint32_t samples = 0;
  for (std::uint32_t mask = 0x80000000u; mask != 0; mask >>= 1) {
    SetLine(Reg::R10, RegBit::DataR10, (word & mask) != 0);
    // The sample is taken after the data bit is presented, before the clock.
    const bool serialOut = SerialOutHigh(lines);
    ClockPulse(lines.clockBit);
    if (serialOut) samples |= mask;
  }
  return samples;
}

ResultCode AceProtocol::FinishWrite() {
  const ChipLines lines = ChipLinesFor(device_.Package);
  SetLine(Reg::R6, RegBit::LoadR6, false);
  if (!SerialOutHigh(lines)) return FailEnding(kSerialOutNotHighAfterLoad, Result::ProgramFailed);
  ClockPulse(lines.clockBit);
  if (SerialOutHigh(lines)) return FailEnding(kSerialOutNotLowAfterClock, Result::ProgramFailed);
  ClockPulse(lines.clockBit);

  // Completion poll: at least one look at SerialOut, also for a limit of 0.
  std::uint32_t polls = 0;
  bool done = false;
  do {
    if (SerialOutHigh(lines)) {
      done = true;
    } else {
      link_.PulseTimingBit(1);
    }
    ++polls;
  } while (polls < device_.MaxProgPolls && !done);
  if (!done) return FailEnding(kProgrammingTimeExceeded, Result::ProgramFailed);

  link_.ReadInput();
  SetLine(Reg::R6, RegBit::LoadR6, true);
  link_.ReadInput();
  return Result::Ok;
}

ResultCode AceProtocol::FinishRead() {
  const ChipLines lines = ChipLinesFor(device_.Package);
  SetLine(Reg::R6, RegBit::LoadR6, false);
  if (!SerialOutHigh(lines)) return FailEnding(kSerialOutNotHighAfterLoad, Result::VerifyFailed);
  ClockPulse(lines.clockBit);
  ClockPulse(lines.clockBit);
  link_.ReadInput();
  SetLine(Reg::R6, RegBit::LoadR6, true);
  link_.ReadInput();
  return Result::Ok;
}

ResultCode AceProtocol::WriteCodeByte(std::uint32_t address, std::uint8_t value) {
  return WriteByte(AceCommand::WriteCode, address, value);
}

std::uint8_t AceProtocol::ReadCodeByte(std::uint32_t address) {
  return ReadByte(AceCommand::ReadCode, address);
}

ResultCode AceProtocol::WriteDataByte(std::uint32_t address, std::uint8_t value) {
  return WriteByte(AceCommand::WriteData, address, value);
}

std::uint8_t AceProtocol::ReadDataByte(std::uint32_t address) {
  return ReadByte(AceCommand::ReadData, address);
}

ResultCode AceProtocol::WriteInitRegister1(std::uint8_t value) {
  return WriteDataByte(device_.InitRegister1Address, value);
}

std::uint8_t AceProtocol::ReadInitRegister1() { return ReadDataByte(device_.InitRegister1Address); }

ResultCode AceProtocol::WriteByte(std::uint8_t code, std::uint32_t address, std::uint8_t value) {
  ShiftCommandWord(CommandWord(code, address, value));
  return FinishWrite();
}

std::uint8_t AceProtocol::ReadByte(std::uint8_t code, std::uint32_t address) {
  const std::uint32_t samples = ShiftCommandWord(CommandWord(code, address, 0));
  readErrorFlag_ = FinishRead();
  return static_cast<std::uint8_t>(samples & 0xFFu);
}

void AceProtocol::SetLine(int reg, std::uint8_t bit, bool high) {
  std::uint8_t& shadow = link_.Shadow().Of(reg);
  shadow = static_cast<std::uint8_t>(high ? shadow | bit : shadow & ~bit);
  link_.WriteShadow(reg);
}

void AceProtocol::ClockPulse(std::uint8_t clockBit) {
  SetLine(Reg::R10, clockBit, true);
  SetLine(Reg::R10, clockBit, false);
}

bool AceProtocol::SerialOutHigh(const ChipLines& lines) {
  return (link_.ReadInput() & lines.serialOutBit) != 0;
}

ResultCode AceProtocol::FailEnding(const char* message, ResultCode result) {
  ui_.MessageInfo(message);
  SetLine(Reg::R6, RegBit::LoadR6, true);
  return result;
}

}  // namespace ferolith
