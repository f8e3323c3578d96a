#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "trace/VcdWriter.h"

namespace ferolith {

// The tracing port's record of the accesses: a byte stream of records, each
// a tag byte and the bytes the tag names.
enum class TraceTag : std::uint8_t {
  DataWrite,     // + the byte written to the data port; begins a register write
  DataRead,      // + the byte read from the data port
  ControlWrite,  // + the byte written to the control port
  ControlRead,   // + the byte read from the control port
  StatusRead,    // + the byte read from the status port
  ChipWires,     // + 4 bytes, least significant first: bit i = extra wire i
  ChipReal,      // + the real's index + 4 bytes of millivolts
  SlotLength,    // + 4 bytes: microseconds of the register write it follows and of those after it
};
// The longest record in bytes.
inline constexpr std::size_t kLongestTraceRecord = 6;

// Turns the records into the Value Change Dump: declares the signals (scope
// "port": D0-D7, C0-C3 and S3-S7, the register bits as the program writes
// and reads them; scope "register": REG1-REG3 and VAL0-VAL7 of each
// completed register write and a pulse on WR; scope "chip": the extra wires
// and reals), and writes each line that changes at its time.
//
// Time axis: the link's own time base. Each register write (it begins with
// the write of the data port) is one slot of TimeBaseKorr microseconds,
// written at two times:
// - at the slot's start: the data, the register number with the strobe low,
//   and the status reads up to "ready" (bit 7 high);
// - at its middle, from the rising strobe on: the strobe, the status reads
//   up to "taken" (bit 7 low), and with that read the register number and
//   value of the completed write and the rising edge on WR.
// WR falls with the next change (the next register write's start), so that
// repeated identical writes stay apart. Two rules keep every edge: each of
// these two times lies after the last change before it, and a line that
// would change a second time at one time moves on to the next microsecond
// (a glitch on a status line while the program waits, or TimeBaseKorr 1).
// The accesses before the first register write (the lone strobe of
// detection) form a slot of their own.
class TraceFormatter {
 public:
  // The chip's wires and reals come after the port's signals: at most 64
  // signals in all (31 extra wires and 4 reals; more are not written).
  TraceFormatter(std::unique_ptr<VcdWriter> writer, const std::vector<std::string>& extraWires,
                 const std::vector<std::string>& extraReals, std::uint32_t slotMicros);

  // Whole records, in the order they were made. A record with an unknown
  // tag ends the block.
  void Format(std::span<const std::uint8_t> records);
  // Ends the pulse on WR, writes what is left and closes the file; false
  // once a write to the file failed.
  bool Finish();

 private:
  // Sets the signals of `mask` to `bits` (signal s is bit s).
  void Set(std::uint64_t mask, std::uint64_t bits);
  void SetReal(std::size_t index, std::uint32_t millivolts);
  // Writes the pending changes and begins the window of the next ones at
  // `planned`, or one microsecond after the last change when that is later.
  void StartPhase(std::uint64_t planned);
  // A signal changes a second time within the window: the changes so far
  // keep its time, the rest go one microsecond later.
  void NextMicrosecond();
  void BeginWindow(std::uint64_t micros);
  void Flush();
  void Completed();

  std::unique_ptr<VcdWriter> writer_;
  std::uint64_t wires_;  // the signals that are wires
  int firstReal_;
  std::size_t reals_;
  std::uint32_t millivolts_[4] = {};

  std::uint64_t state_ = 0;     // every signal as the records leave it
  std::uint64_t pending_ = 0;   // signals changed in the window, not yet written
  std::uint64_t unknown_ = ~std::uint64_t{0};  // signals never written (x)
  std::uint64_t window_ = 0;    // the time of the pending changes
  std::uint64_t written_ = 0;   // the time of the last changes written
  bool anyWritten_ = false;

  bool strobeRisen_ = false;
  bool slotOpen_ = false;  // a record since the slot began
  std::uint64_t slotStart_ = 0;
  std::uint32_t slotMicros_;
};

}  // namespace ferolith
