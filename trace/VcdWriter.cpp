#include "trace/VcdWriter.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <string_view>

namespace ferolith {

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace

bool VcdWriter::Open(const std::string& path) {
  // The writer keeps its own buffer: each block goes out in one write.
  open_ = file_.Open(path, AtomicFile::Devices::AsTheyCome);
  return open_;
}

VcdWriter::~VcdWriter() { Close(); }

int VcdWriter::AddWire(const std::string& scope, const std::string& name) {
  if (signals_.size() >= kMaxSignals) return -1;
  signals_.push_back({scope, name, false});
  return static_cast<int>(signals_.size()) - 1;
}

int VcdWriter::AddReal(const std::string& scope, const std::string& name) {
  if (signals_.size() >= kMaxSignals) return -1;
  signals_.push_back({scope, name, true});
  return static_cast<int>(signals_.size()) - 1;
}

void VcdWriter::EndDefinitions() {
  std::string head = "$version Ferolith port trace $end\n$timescale 1 us $end\n";
  std::string scope;
  for (std::size_t i = 0; i < signals_.size(); ++i) {
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
  for (std::size_t i = 0; i < signals_.size(); ++i) {
    head += signals_[i].real ? std::string("r0 ") + CodeOf(static_cast<int>(i)) + "\n"
                             : std::string("x") + CodeOf(static_cast<int>(i)) + "\n";
  }
  head += "$end\n";
  Put(head.data(), head.size());
}

void VcdWriter::Time(std::uint64_t micros) {
  if (used_ + kStampEnd > buffer_.size()) Flush();
  // The last time's text goes out first, then the step is added to its
  // digits both in stamp_ and there: the text is never copied right after
  // its digits were stored one by one (which would stall the copy).
  char* const out = buffer_.data() + used_;
  const std::size_t first = first_;  // stamp_[i] is out[i + 1 - first]
  std::memcpy(out, stamp_ + first - 1, kStampEnd);
  std::uint64_t step = micros - now_;
  now_ = micros;
  const std::size_t lastFour = kStampEnd - 5;
  if (step < 10000 && lowFour_ + step < 10000 && first <= lastFour) {
    // Most steps stay within the last four digits: two pairs of digits.
    lowFour_ += static_cast<unsigned>(step);
    const char* const high = kDigitPairs + 2 * (lowFour_ / 100);
    const char* const low = kDigitPairs + 2 * (lowFour_ % 100);
    for (char* text : {stamp_ + lastFour, out + lastFour + 1 - first}) {
      std::memcpy(text, high, 2);
      std::memcpy(text + 2, low, 2);
    }
    used_ += kStampEnd - first + 1;
    return;
  }
  unsigned carry = 0;
  for (std::size_t i = kStampEnd - 2; step != 0 || carry != 0; --i) {
    if (i < first_) {
      stamp_[i] = '0';
      stamp_[i - 1] = '#';
      first_ = i;
    }
    const unsigned sum = static_cast<unsigned>(stamp_[i] - '0') + static_cast<unsigned>(step % 10) + carry;
    step /= 10;
    carry = sum >= 10 ? 1 : 0;
    stamp_[i] = static_cast<char>('0' + sum - 10 * carry);
    if (i >= first) out[i + 1 - first] = stamp_[i];
  }
  // A digit more (rarely): the whole text anew.
  if (first_ != first) std::memcpy(out, stamp_ + first_ - 1, kStampEnd);
  used_ += kStampEnd - first_ + 1;
  lowFour_ = static_cast<unsigned>(now_ % 10000);
}

void VcdWriter::Wires(std::uint64_t changed, std::uint64_t values) {
  // Each change is "<0 or 1><code>\n".
  if (used_ + 3 * 64 > buffer_.size()) Flush();
  char* out = buffer_.data() + used_;
  for (; changed != 0; changed &= changed - 1) {
    const int signal = std::countr_zero(changed);
    out[0] = static_cast<char>('0' + ((values >> signal) & 1));
    out[1] = CodeOf(signal);
    out[2] = '\n';
    out += 3;
  }
  used_ = static_cast<std::size_t>(out - buffer_.data());
}

// The number as printf's %.6g writes it in the C locale, whatever locale the
// program runs in (the desktop program takes the user's: "4,5" on a German
// desktop, which VCD readers refuse).
void VcdWriter::Real(int signal, double value) {
  char text[48] = "r";
  const auto [end, error] = std::to_chars(text + 1, text + sizeof text - 3, value, std::chars_format::general, 6);
  if (error != std::errc()) return;
  end[0] = ' ';
  end[1] = CodeOf(signal);
  end[2] = '\n';
  Put(text, static_cast<std::size_t>(end + 3 - text));
}

// Texts are far shorter than the buffer: the declarations of at most 94
// signals, or one real's value.
void VcdWriter::Put(const char* text, std::size_t size) {
  if (used_ + size > buffer_.size()) Flush();
  std::memcpy(buffer_.data() + used_, text, size);
  used_ += size;
}

bool VcdWriter::Flush() {
  if (used_ > 0 && !failed_) failed_ = !open_ || !file_.Write(std::string_view(buffer_.data(), used_));
  used_ = 0;
  return !failed_;
}

bool VcdWriter::Close() {
  if (!open_) return !failed_;
  Flush();
  open_ = false;
  if (failed_) {
    file_.Discard();
    return false;
  }
  failed_ = !file_.Commit();
  return !failed_;
}

}  // namespace ferolith
