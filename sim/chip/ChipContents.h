#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ferolith::sim {

// Everything a virtual ACE chip remembers across power cycles: program
// memory, data EEPROM and the configuration byte InitRegister1. The memories
// are indexed by chip address; a blank cell holds 0xFF. A fresh chip's
// InitRegister1 is 0x00, so it leaves the chip readable and writable.
struct ChipContents {
  static constexpr std::uint32_t kSize = 0x10000;
  static constexpr std::uint8_t kBlank = 0xFF;
  static constexpr std::uint8_t kFreshInitRegister1 = 0x00;

  std::array<std::uint8_t, kSize> code{};
  std::array<std::uint8_t, kSize> data{};
  std::uint8_t initRegister1 = kFreshInitRegister1;

  ChipContents() { Erase(); }
  void Erase() {
    code.fill(kBlank);
    data.fill(kBlank);
    initRegister1 = kFreshInitRegister1;
  }
  bool operator==(const ChipContents&) const = default;
};

// The contents as text, so that a chip can be kept in a file between runs:
//
//   ACE-CHIP 1
//   INITREG1 00
//   C 0100 00112233445566778899AABBCCDDEEFF
//   D 0000 41424344FFFFFFFFFFFFFFFFFFFFFFFF
//
// One line per 16-byte row of code (C) or data (D) memory that holds a
// non-blank cell, with the row's start address; rows not listed are blank.
std::string FormatContents(const ChipContents& contents);

// Reads text written by FormatContents. Empty lines and CR LF line ends are
// accepted; anything else that does not fit the format makes the whole text
// invalid: the result is false and `contents` is left as it was.
bool ParseContents(std::string_view text, ChipContents& contents);

// The same through a file: saving replaces an existing file only by a
// complete one; loading leaves `contents` as it was unless the whole file
// is valid. False on any failure.
bool SaveContentsFile(const std::string& path, const ChipContents& contents);
bool LoadContentsFile(const std::string& path, ChipContents& contents);

// What lies at the path of a contents file, told by its first line alone.
enum class ContentsFileKind {
  Absent,    // nothing there yet, or an empty file: nothing to lose
  Contents,  // a regular file whose first line is the format's header
  Foreign,   // anything else that exists (another file, a folder, a device): never to be written
};
ContentsFileKind InspectContentsFile(const std::string& path);

// The header line that marks a contents file.
inline constexpr std::string_view kContentsHeader = "ACE-CHIP 1";

}  // namespace ferolith::sim
