#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Settings.h"
#include "trace/BlockQueue.h"
#include "port/PortIo.h"
#include "trace/TraceFormatter.h"
#include "trace/VcdWriter.h"

namespace ferolith {

// Lines that the trace records besides the port's own, such as the chip's
// lines of the simulator. `sample` is asked at the start and after every
// rising strobe (the only moment the programmer takes a byte).
struct TraceExtras {
  std::vector<std::string> wires;  // names of one-bit lines, at most 31
  std::vector<std::string> reals;  // names of voltages, at most 4
  // Sets bit i of `wires` for each wire that is 1, and the voltages in mV.
  std::function<void(std::uint32_t& wires, std::uint32_t* millivolts)> sample;
};

// A decorator over the port that records every access into a Value Change
// Dump (see TraceFormatter for the signals and the time axis).
//
// Buffered: the calling thread only appends each access to a block of
// compact records (a tag byte and the byte read or written; a read that
// repeats the record before it, as the status reads of a wait do, is left
// out). Full blocks of 1 MiB go to a thread of its own that turns them into
// text and writes it. At most 8 blocks are under way: the caller waits only
// when the writing thread has fallen that far behind.
class TracingPort final : public PortIo {
 public:
  TracingPort(std::unique_ptr<VcdWriter> writer, const Settings& settings, TraceExtras extras = {});
  // Closes the trace when Close has not.
  ~TracingPort() override;
  TracingPort(const TracingPort&) = delete;
  TracingPort& operator=(const TracingPort&) = delete;

  // The port the accesses go to (the program's port; not owned).
  void Follow(PortIo& port) { port_ = &port; }

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

  // Writes the rest of the trace and closes the file; false when a write
  // failed (the trace is then incomplete). No access may follow.
  bool Close();

 private:
  void Put(TraceTag tag, std::uint8_t value) {
    if (cursor_ > limit_) NextBlock();
    cursor_[0] = static_cast<std::uint8_t>(tag);
    cursor_[1] = value;
    cursor_ += 2;
    last_ = static_cast<std::uint16_t>(static_cast<unsigned>(tag) | static_cast<unsigned>(value) << 8);
  }
  void PutRead(TraceTag tag, std::uint8_t value) {
    if (static_cast<std::uint16_t>(static_cast<unsigned>(tag) | static_cast<unsigned>(value) << 8) != last_) {
      Put(tag, value);
    }
  }
  void PutWord(TraceTag tag, std::uint8_t index, std::uint32_t value);
  // TimeBaseKorr as it stands at the start of a register write or of its
  // rising strobe (the preferences may change it).
  void NoteSlotLength();
  void SampleExtras();
  void NextBlock();
  void WriteBlocks();

  const Settings& settings_;
  TraceExtras extras_;
  PortIo* port_ = nullptr;

  // The calling side: the block being filled, where the next record goes,
  // and the last place a record may start.
  BlockQueue queue_;
  BlockQueue::Block block_;
  std::uint8_t* cursor_;
  std::uint8_t* limit_;
  std::uint16_t last_ = 0xFFFF;  // tag and byte of the last record
  std::uint8_t control_ = 0;     // as last written
  std::int32_t slotMicros_;      // TimeBaseKorr as last recorded
  std::uint32_t chipWires_ = 0;
  std::vector<std::uint32_t> millivolts_;
  bool sampled_ = false;
  bool closed_ = false;
  bool written_ = false;  // the whole trace, once closed

  // The writing side.
  TraceFormatter formatter_;
  std::thread writer_;
};

}  // namespace ferolith
