#include "files/HexRecordText.h"

namespace ferolith {

namespace {

void AppendHexByte(std::string& out, std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.push_back(kDigits[(value >> 4) & 0xF]);
  out.push_back(kDigits[value & 0xF]);
}

// Appends the data bytes and returns their sum.
std::uint32_t AppendData(std::string& out, std::span<const std::uint8_t> data) {
  std::uint32_t sum = 0;
  for (const std::uint8_t value : data) {
    AppendHexByte(out, value);
    sum += value;
  }
  return sum;
}

}  // namespace

void AppendIntelRecord(std::string& out, std::uint16_t address, std::uint8_t type,
                       std::span<const std::uint8_t> data) {
  const auto length = static_cast<std::uint32_t>(data.size());
  out.push_back(':');
  AppendHexByte(out, length);
  AppendHexByte(out, address >> 8u);
  AppendHexByte(out, address);
  AppendHexByte(out, type);
  const std::uint32_t sum = length + (address >> 8u) + (address & 0xFFu) + type + AppendData(out, data);
  AppendHexByte(out, (256u - sum % 256u) % 256u);
  out += kRecordLineEnd;
}

void AppendSRecord(std::string& out, char typeDigit, std::uint32_t addressBytes,
                   std::uint32_t address, std::span<const std::uint8_t> data) {
  const auto count = static_cast<std::uint32_t>(data.size()) + addressBytes + 1;
  out.push_back('S');
  out.push_back(typeDigit);
  AppendHexByte(out, count);
  std::uint32_t sum = count;
  for (std::uint32_t i = addressBytes; i-- > 0;) {
    const std::uint32_t addressByte = (address >> (8 * i)) & 0xFFu;
    AppendHexByte(out, addressByte);
    sum += addressByte;
  }
  sum += AppendData(out, data);
  AppendHexByte(out, 255u - sum % 256u);
  out += kRecordLineEnd;
}

}  // namespace ferolith
