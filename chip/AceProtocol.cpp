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
    link_.Drive(Lines::SerialData, (word & mask) != 0);
    // The sample is taken after the data bit is presented, before the clock.
    const bool serialOut = SerialOutHigh(lines);
    ClockPulse(lines.clock);
    if (serialOut) samples |= mask;
  }
  return samples;
}

ResultCode AceProtocol::FinishWrite() {
  const ChipLines lines = ChipLinesFor(device_.Package);
  link_.Lower(Lines::Load);
  if (!SerialOutHigh(lines)) return FailEnding(kSerialOutNotHighAfterLoad, Result::ProgramFailed);
  ClockPulse(lines.clock);
  if (SerialOutHigh(lines)) return FailEnding(kSerialOutNotLowAfterClock, Result::ProgramFailed);
  ClockPulse(lines.clock);

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
  link_.Raise(Lines::Load);
  link_.ReadInput();
  return Result::Ok;
}

ResultCode AceProtocol::FinishRead() {
  const ChipLines lines = ChipLinesFor(device_.Package);
  link_.Lower(Lines::Load);
  if (!SerialOutHigh(lines)) return FailEnding(kSerialOutNotHighAfterLoad, Result::VerifyFailed);
  ClockPulse(lines.clock);
  ClockPulse(lines.clock);
  link_.ReadInput();
  link_.Raise(Lines::Load);
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

void AceProtocol::ClockPulse(Line clock) {
  link_.Raise(clock);
  link_.Lower(clock);
}

bool AceProtocol::SerialOutHigh(const ChipLines& lines) {
  return (link_.ReadInput() & lines.serialOut.bit) != 0;
}

ResultCode AceProtocol::FailEnding(const char* message, ResultCode result) {
  ui_.MessageInfo(message);
  link_.Raise(Lines::Load);
  return result;
}

}  // namespace ferolith
