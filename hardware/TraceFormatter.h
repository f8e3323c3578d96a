#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hardware/VcdWriter.h"

namespace ferolith {

// One access to the port that changed something, as the tracing port saw it,
// or the end of a time slot (one register write).
struct TraceRecord {
  enum class Kind : std::uint8_t {
    Data,       // value: the data port
    Control,    // value: the control port
    Status,     // value: the status port
    Completed,  // value: register number << 8 | the byte it took
    ChipWires,  // value: bit i = extra wire i
    ChipReal,   // index: which real; value: millivolts
    SlotEnd,    // access: the slot's microseconds; value: the accesses in it
  };
  Kind kind;
  std::uint8_t index = 0;
  std::uint32_t access = 0;  // the access's number within its slot
  std::uint32_t value = 0;
};

// Turns trace records into the Value Change Dump: declares the signals
// (scope "port": D0-D7, C0-C3 and S3-S7, the register bits as the program
// writes and reads them; scope "register": REG1-REG3 and VAL0-VAL7 of each
// completed register write and a pulse on WR; scope "chip": the extra wires
// and reals), and writes each changed line at its time. The accesses of a
// slot are spread evenly over its microseconds in the order they were made.
class TraceFormatter {
 public:
  TraceFormatter(std::unique_ptr<VcdWriter> writer, const std::vector<std::string>& extraWires,
                 const std::vector<std::string>& extraReals);

  // Records of whole slots, each ending with its SlotEnd.
  void Format(std::span<const TraceRecord> records);
  // Writes what is left; false once a write to the file failed.
  bool Finish();

 private:
  struct Lines {
    std::uint32_t value = 0;
    std::uint32_t known = 0;  // bits written at least once
  };

  void Emit(std::uint64_t micros, const TraceRecord& record);
  void Bits(std::uint64_t micros, Lines& lines, std::uint32_t value, std::uint32_t mask, int firstSignal,
            int firstBit);

  std::unique_ptr<VcdWriter> writer_;
  std::size_t extraWires_;
  Lines data_;
  Lines control_;
  Lines status_;
  Lines registerNumber_;
  Lines registerValue_;
  Lines chip_;
  std::vector<std::optional<std::uint32_t>> reals_;
  std::optional<std::uint64_t> writePulseEnds_;
  std::uint64_t slotStart_ = 0;
};

}  // namespace ferolith
