#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ferolith {

// Line end of every record of a read-out file.
inline constexpr std::string_view kRecordLineEnd = "\r\n";

// Appends one Intel HEX record with its line end: ':', length, 16-bit
// address, type, data and the two's-complement checksum, in upper-case hex.
// `data` holds at most 255 bytes.
void AppendIntelRecord(std::string& out, std::uint16_t address, std::uint8_t type,
                       std::span<const std::uint8_t> data);

// Appends one Motorola S-record with its line end: 'S', the type digit, the
// count, the address in `addressBytes` bytes (2, 3 or 4; higher address bits
// are dropped), data and the ones'-complement checksum. `data` holds at most
// 254 - addressBytes bytes.
void AppendSRecord(std::string& out, char typeDigit, std::uint32_t addressBytes,
                   std::uint32_t address, std::span<const std::uint8_t> data);

}  // namespace ferolith
