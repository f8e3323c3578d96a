#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/Settings.h"
#include "hardware/PortIo.h"
#include "hardware/TraceFormatter.h"
#include "hardware/VcdWriter.h"

namespace ferolith {

// Lines that the trace records besides the port's own, such as the chip's
// lines of the simulator. `sample` is asked at the start and after every
// rising strobe (the only moment the programmer takes a byte).
struct TraceExtras {
  std::vector<std::string> wires;  // names of one-bit lines, at most 32
  std::vector<std::string> reals;  // names of voltages, at most 4
  // Sets bit i of `wires` for each wire that is 1, and the voltages in mV.
  std::function<void(std::uint32_t& wires, std::uint32_t* millivolts)> sample;
};

// A decorator over the port that records every access into a Value Change
// Dump (see TraceFormatter for the signals).
//
// Time axis: the link's own time base. Each register write (it begins with
// the write of the data port) is one slot of TimeBaseKorr microseconds; the
// accesses within it are spread evenly over the slot in the order they were
// made, to the microsecond (the time scale of the file; an ISA port access
// takes about that long, so two accesses share a time only when a slot holds
// more accesses than its microseconds, as a long handshake wait can). A
// register write counts as completed when the status shows bit 7 low after
// the rising strobe.
//
// Buffered: the accesses that change something are kept as small records;
// blocks of them are turned into text and written by a thread of its own,
// so that the port's caller only pays for the records.
class TracingPort final : public PortIo {
 public:
  TracingPort(std::unique_ptr<VcdWriter> writer, const Settings& settings, TraceExtras extras = {});
  // Writes the rest of the trace and closes the file.
  ~TracingPort() override;
  TracingPort(const TracingPort&) = delete;
  TracingPort& operator=(const TracingPort&) = delete;

  // The port the accesses go to (the program's port; not owned).
  void Follow(PortIo& port) { port_ = &port; }

  std::uint8_t Read(std::uint16_t address) override;
  void Write(std::uint16_t address, std::uint8_t value) override;

 private:
  // A register of the port as the trace last saw it.
  struct Seen {
    std::uint8_t value = 0;
    bool known = false;
  };

  void Note(Seen& seen, TraceRecord::Kind kind, std::uint8_t value);
  void SampleExtras();
  void CloseSlot();
  // Hands the filled block to the writing thread (waiting while it is
  // still busy with the one before).
  void Hand();
  void WriteBlocks();

  const Settings& settings_;
  TraceExtras extras_;
  PortIo* port_ = nullptr;

  Seen data_;
  Seen control_;
  Seen status_;
  std::uint32_t chipWires_ = 0;
  std::vector<std::uint32_t> millivolts_;
  bool sampled_ = false;
  bool strobeRisen_ = false;

  std::uint32_t accesses_ = 0;  // in the open slot
  std::uint32_t current_ = 0;   // number of the access being recorded
  std::vector<TraceRecord> block_;

  // The writing thread and the block handed to it.
  TraceFormatter formatter_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<TraceRecord> handed_;
  std::vector<TraceRecord> writing_;
  bool done_ = false;
  std::thread writer_;
};

}  // namespace ferolith
