#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "files/MemoryImage.h"

namespace ferolith::cli {

// How a serial number is written into its cells.
enum class SerialFormat {
  LittleEndian,  // binary, lowest byte first
  BigEndian,     // binary, highest byte first
  Bcd,           // packed BCD, two decimal digits a byte, highest first
  Ascii,         // decimal digits as ASCII, one a byte, leading zeros
};

// Where the serial number goes: WIDTH cells from ADDRESS in one area.
struct SerialField {
  MemoryArea area = MemoryArea::ProgramMemory;
  std::uint32_t address = 0;
  std::uint32_t width = 0;  // 1 to 4 bytes
};

// "AREA:ADDRESS:WIDTH": AREA code or data, ADDRESS decimal or 0x hex,
// WIDTH 1 to 4. Nothing when the text is not such a field.
std::optional<SerialField> ParseSerialField(const std::string& text);
// "le", "be", "bcd", "ascii"; nothing for another name.
std::optional<SerialFormat> SerialFormatNamed(const std::string& name);
std::string NameOfSerialFormat(SerialFormat format);

// The largest number `width` bytes hold in `format`.
std::uint64_t LargestSerial(SerialFormat format, std::uint32_t width);
// The cells of `number`, which must not be larger than LargestSerial.
std::vector<std::uint8_t> SerialBytes(std::uint64_t number, SerialFormat format, std::uint32_t width);

// Why the field cannot take serial numbers for `device` with `image` (the
// file loaded for its area) in it: a German text, or nothing. A field must
// lie inside the device's area; it may not cover a cell the file sets to
// anything but blank (0xFF) unless `overwrite`.
std::optional<std::string> SerialFieldConflict(const SerialField& field, const DeviceEntry& device,
                                               const MemoryImage& image, bool overwrite);

// The field as the user wrote it, "code:0x07F0:2".
std::string SerialFieldText(const SerialField& field);

}  // namespace ferolith::cli
