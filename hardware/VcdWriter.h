#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace ferolith {

// Writes a Value Change Dump (IEEE 1364) with a time scale of 1 us:
// one-bit wires and real variables declared in scopes, then value changes
// under rising timestamps. The text is collected in a buffer and written in
// large blocks, so that tracing every port access stays cheap.
//
// Only one-bit wires and reals are offered: sigrok's VCD reader (libsigrok
// 0.5) stops at the first multi-bit vector value, and every line of the
// port must be a channel of its own there anyway. Readers that show vectors
// (GTKWave) can group the wires themselves.
class VcdWriter {
 public:
  // Opens `path` for writing; false when it cannot be created.
  bool Open(const std::string& path);
  ~VcdWriter();

  // Declarations, before EndDefinitions. Each returns the signal's number
  // for the calls below. Wires start unknown (x), reals at 0.
  int AddWire(const std::string& scope, const std::string& name);
  int AddReal(const std::string& scope, const std::string& name);
  void EndDefinitions();

  // Changes at time `micros` (never earlier than the last one).
  void Wire(std::uint64_t micros, int signal, bool value);
  void Real(std::uint64_t micros, int signal, double value);

  // Writes what the buffer holds; false once a write has failed.
  bool Flush();

 private:
  struct Signal {
    std::string scope;
    std::string name;
    bool real;
  };

  void At(std::uint64_t micros);
  void Put(const char* text, std::size_t size);
  void Reserve(std::size_t size) {
    if (used_ + size > buffer_.size()) Flush();
  }

  std::FILE* file_ = nullptr;
  std::vector<Signal> signals_;
  std::vector<char> buffer_ = std::vector<char>(std::size_t{1} << 18);
  std::size_t used_ = 0;
  std::uint64_t now_ = 0;
  // "#now_\n", ending at kStampEnd and advanced by decimal addition: the
  // times rise by small steps. The room behind it lets the line be copied
  // with a fixed length.
  static constexpr std::size_t kStampEnd = 24;
  char stamp_[2 * kStampEnd] = {};
  std::size_t stampSize_ = 0;
  bool timeWritten_ = false;
  bool failed_ = false;
};

}  // namespace ferolith
