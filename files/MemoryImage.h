#pragma once

#include <array>
#include <cstdint>

namespace ferolith {

// The one in-memory copy of chip contents, indexed by chip address. Every
// load and every read-out fills it with 0xFF (a blank cell) first.
struct MemoryImage {
  static constexpr std::uint32_t kSize = 0x10000;

  std::array<std::uint8_t, kSize> bytes{};
  std::uint32_t byteCount = 0;       // data bytes taken from the last loaded file
  std::uint32_t highestAddress = 0;  // highest address met among them
  std::uint32_t lowestAddress = 0;   // lowest address met among them

  void FillBlank() { bytes.fill(0xFF); }

  // Counters as a HEX reader starts them.
  void StartCounting() {
    byteCount = 0;
    highestAddress = 0;
    lowestAddress = 0xFFFFFFFFu;
  }

  // Stores one data byte read from a file. Addresses of 0x10000 and more are
  // not stored but still counted, so that the range check rejects the file.
  void Store(std::uint32_t address, std::uint8_t value) {
    if (address < kSize) bytes[address] = value;
    if (address > highestAddress) highestAddress = address;
    if (address < lowestAddress) lowestAddress = address;
    ++byteCount;
  }

  // Stores a byte whose address was computed as base + offset in more than
  // 32 bits. An address past 0xFFFFFFFF is counted as 0xFFFFFFFF, so that it
  // can never wrap around into the image.
  void StoreWide(std::uint64_t address, std::uint8_t value) {
    Store(address > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(address), value);
  }
};

}  // namespace ferolith
