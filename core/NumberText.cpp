#include "core/NumberText.h"

#include <limits>

namespace ferolith {

namespace {

struct Scan {
  bool negative = false;
  bool overflow = false;
  std::uint64_t magnitude = 0;
};

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// The common part of strtol/strtoul: white space, sign, base prefix, digits.
// `limit` is the largest magnitude that does not overflow.
Scan ScanNumber(std::string_view text, int base, std::uint64_t limit) {
  Scan scan;
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    scan.negative = text[i] == '-';
    ++i;
  }
  const bool hexPrefix = i + 2 < text.size() && text[i] == '0' &&
                         (text[i + 1] == 'x' || text[i + 1] == 'X') &&
                         DigitValue(text[i + 2]) < 16;
  if (base == 0) {
    if (hexPrefix) {
      base = 16;
      i += 2;
    } else if (i < text.size() && text[i] == '0') {
      base = 8;
    } else {
      base = 10;
    }
  } else if (base == 16 && hexPrefix) {
    i += 2;
  }
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) break;
    if (!scan.overflow) {
      scan.magnitude = scan.magnitude * static_cast<std::uint64_t>(base) +
                       static_cast<std::uint64_t>(digit);
      if (scan.magnitude > limit) scan.overflow = true;
    }
  }
  return scan;
}

std::uint32_t ToUnsigned(const Scan& scan) {
  if (scan.overflow) return std::numeric_limits<std::uint32_t>::max();
  const auto value = static_cast<std::uint32_t>(scan.magnitude);
  return scan.negative ? static_cast<std::uint32_t>(0u - value) : value;
}

}  // namespace

std::uint32_t ParseUnsignedAutoBase(std::string_view text) {
  return ToUnsigned(ScanNumber(text, 0, std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t ParseHex(std::string_view text) {
  return ToUnsigned(ScanNumber(text, 16, std::numeric_limits<std::uint32_t>::max()));
}

std::optional<std::uint32_t> HexDigitsValue(std::string_view text, std::size_t maxDigits) {
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  if (text.empty() || text.size() > maxDigits || text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
    return std::nullopt;
  }
  return ParseHex(text);
}

std::uint32_t ParseUnsignedDecimal(std::string_view text) {
  return ToUnsigned(ScanNumber(text, 10, std::numeric_limits<std::uint32_t>::max()));
}

std::int32_t ParseSignedAutoBase(std::string_view text) {
  // One more than INT32_MAX is still representable for a negative number.
  const Scan scan = ScanNumber(text, 0, std::uint64_t{1} << 31);
  if (scan.negative) {
    if (scan.overflow) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(scan.magnitude));
  }
  if (scan.overflow || scan.magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(scan.magnitude);
}

bool IsWholeUnsigned(std::string_view text, std::uint32_t* value) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  if (begin == end) return false;
  std::uint64_t number = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = number * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (number > std::numeric_limits<std::uint32_t>::max()) return false;
  }
  if (value != nullptr) *value = static_cast<std::uint32_t>(number);
  return true;
}

}  // namespace ferolith
