#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "platform/Files.h"

namespace ferolith {

// Writes a Value Change Dump (IEEE 1364) with a time scale of 1 us:
// one-bit wires and real variables declared in scopes, then value changes
// under rising timestamps. The text is collected in a buffer of 1 MiB and
// written in blocks of that size; each timestamp is kept as decimal text and
// advanced by decimal addition (the times rise by small steps).
//
// Only one-bit wires and reals are offered: sigrok's VCD reader (libsigrok
// 0.5) stops at the first multi-bit vector value, and every line of the
// port must be a channel of its own there anyway. Readers that show vectors
// (GTKWave) can group the wires themselves. Every signal has an identifier
// of one character, so at most 94 are declared.
class VcdWriter {
 public:
  static constexpr int kMaxSignals = '~' - '!' + 1;

  // Prepares writing `path`: the trace goes into a temporary file beside
  // it, which replaces `path` only when Close finds it complete (a pipe or
  // a device is written as the trace comes). False when it cannot be
  // created.
  bool Open(const std::string& path);
  // Closes the file as Close does.
  ~VcdWriter();
  VcdWriter() = default;
  VcdWriter(const VcdWriter&) = delete;
  VcdWriter& operator=(const VcdWriter&) = delete;

  // Declarations, before EndDefinitions. Each returns the signal's number
  // for the calls below (-1 past kMaxSignals: not declared). Wires start
  // unknown (x), reals at 0.
  int AddWire(const std::string& scope, const std::string& name);
  int AddReal(const std::string& scope, const std::string& name);
  void EndDefinitions();

  // The time of the changes that follow: later than the last one (the
  // declarations end at time 0).
  void Time(std::uint64_t micros);
  // Each signal i with bit i of `changed` set goes to bit i of `values`:
  // wires 0 to 63 only.
  void Wires(std::uint64_t changed, std::uint64_t values);
  void Real(int signal, double value);

  // Writes what the buffer holds; false once a write has failed (the text
  // after a failed write is dropped).
  bool Flush();
  // Flushes and puts the file in place; false when any write or the close
  // failed, in which case an earlier file of the name stays as it was.
  bool Close();

 private:
  struct Signal {
    std::string scope;
    std::string name;
    bool real;
  };

  static char CodeOf(int signal) { return static_cast<char>('!' + signal); }
  void Put(const char* text, std::size_t size);

  AtomicFile file_{SystemFileOps()};
  bool open_ = false;
  std::vector<Signal> signals_;
  std::vector<char> buffer_ = std::vector<char>(std::size_t{1} << 20);
  std::size_t used_ = 0;
  std::uint64_t now_ = 0;
  // "#now_\n", ending at kStampEnd and advanced by decimal addition; its '#'
  // at stamp_[first_ - 1]. The room behind it lets the line be copied with
  // a fixed length.
  static constexpr std::size_t kStampEnd = 24;
  char stamp_[2 * kStampEnd] = "                     #0\n";
  std::size_t first_ = kStampEnd - 2;
  unsigned lowFour_ = 0;  // now_ % 10000
  bool failed_ = false;
};

}  // namespace ferolith
