#include "hardware/VcdWriter.h"

#include <cstring>

namespace ferolith {

namespace {

// Identifier codes are the printable characters from '!' on: one character
// for each of the first 94 signals.
constexpr char kFirstCode = '!';
constexpr int kCodes = '~' - '!' + 1;

char CodeOf(int signal) { return static_cast<char>(kFirstCode + signal); }

}  // namespace

bool VcdWriter::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

VcdWriter::~VcdWriter() {
  if (file_ == nullptr) return;
  Flush();
  std::fclose(file_);
}

int VcdWriter::AddWire(const std::string& scope, const std::string& name) {
  signals_.push_back({scope, name, false});
  return static_cast<int>(signals_.size()) - 1;
}

int VcdWriter::AddReal(const std::string& scope, const std::string& name) {
  signals_.push_back({scope, name, true});
  return static_cast<int>(signals_.size()) - 1;
}

void VcdWriter::EndDefinitions() {
  std::string head = "$version Ferolith port trace $end\n$timescale 1 us $end\n";
  std::string scope;
  for (std::size_t i = 0; i < signals_.size() && static_cast<int>(i) < kCodes; ++i) {
    const Signal& signal = signals_[i];
    if (signal.scope != scope) {
      if (!scope.empty()) head += "$upscope $end\n";
      scope = signal.scope;
      head += "$scope module " + scope + " $end\n";
    }
    head += std::string("$var ") + (signal.real ? "real 64 " : "wire 1 ") + CodeOf(static_cast<int>(i)) +
            " " + signal.name + " $end\n";
  }
  if (!scope.empty()) head += "$upscope $end\n";
  head += "$enddefinitions $end\n#0\n$dumpvars\n";
  for (std::size_t i = 0; i < signals_.size() && static_cast<int>(i) < kCodes; ++i) {
    head += signals_[i].real ? std::string("r0 ") + CodeOf(static_cast<int>(i)) + "\n"
                             : std::string("x") + CodeOf(static_cast<int>(i)) + "\n";
  }
  head += "$end\n";
  Put(head.data(), head.size());
  timeWritten_ = true;
}

void VcdWriter::At(std::uint64_t micros) {
  if (timeWritten_ && micros == now_) return;
  char* const end = stamp_ + kStampEnd - 1;  // the '\n'
  if (stampSize_ == 0) {
    *end = '\n';
    end[-1] = '0';
    stampSize_ = 1;
    now_ = 0;
  }
  // Decimal addition of the step to the digits before the '\n'.
  std::uint64_t carry = micros - now_;
  for (std::size_t i = 1; carry != 0; ++i) {
    if (i > stampSize_) {
      end[-static_cast<std::ptrdiff_t>(i)] = '0';
      stampSize_ = i;
    }
    char& digit = end[-static_cast<std::ptrdiff_t>(i)];
    const std::uint64_t sum = static_cast<std::uint64_t>(digit - '0') + carry % 10;
    digit = static_cast<char>('0' + sum % 10);
    carry = carry / 10 + sum / 10;
  }
  now_ = micros;
  timeWritten_ = true;
  char* const begin = end - stampSize_ - 1;
  *begin = '#';
  Reserve(kStampEnd);
  std::memcpy(buffer_.data() + used_, begin, kStampEnd);
  used_ += stampSize_ + 2;
}

void VcdWriter::Wire(std::uint64_t micros, int signal, bool value) {
  if (signal >= kCodes) return;
  At(micros);
  Reserve(3);
  char* out = buffer_.data() + used_;
  out[0] = value ? '1' : '0';
  out[1] = CodeOf(signal);
  out[2] = '\n';
  used_ += 3;
}

void VcdWriter::Real(std::uint64_t micros, int signal, double value) {
  if (signal >= kCodes) return;
  At(micros);
  char text[48];
  const int size = std::snprintf(text, sizeof text, "r%.6g %c\n", value, CodeOf(signal));
  if (size > 0) Put(text, static_cast<std::size_t>(size));
}

void VcdWriter::Put(const char* text, std::size_t size) {
  Reserve(size);
  if (size > buffer_.size()) {
    failed_ = failed_ || std::fwrite(text, 1, size, file_) != size;
    return;
  }
  std::memcpy(buffer_.data() + used_, text, size);
  used_ += size;
}

bool VcdWriter::Flush() {
  if (file_ != nullptr && used_ > 0) {
    failed_ = failed_ || std::fwrite(buffer_.data(), 1, used_, file_) != used_;
  }
  used_ = 0;
  if (file_ != nullptr) failed_ = failed_ || std::fflush(file_) != 0;
  return !failed_;
}

}  // namespace ferolith
