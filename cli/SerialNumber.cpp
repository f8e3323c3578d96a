#include "cli/SerialNumber.h"

#include "cli/CliTexts.h"
#include "core/TextFormat.h"

namespace ferolith::cli {

namespace {

// A whole number in decimal or, after 0x, hexadecimal, below 2^32.
std::optional<std::uint32_t> WholeNumber(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::uint64_t PowerOfTen(std::uint32_t exponent) {
  std::uint64_t value = 1;
  for (std::uint32_t i = 0; i < exponent; ++i) value *= 10;
  return value;
}

}  // namespace

std::optional<SerialField> ParseSerialField(const std::string& text) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos) return std::nullopt;
  const std::string area = text.substr(0, first);
  const auto address = WholeNumber(text.substr(first + 1, second - first - 1));
  const auto width = WholeNumber(text.substr(second + 1));
  if ((area != "code" && area != "data") || !address || !width || *width < 1 || *width > 4) {
    return std::nullopt;
  }
  return SerialField{area == "code" ? MemoryArea::ProgramMemory : MemoryArea::DataEeprom, *address, *width};
}

namespace {

struct SerialFormatName {
  const char* name;
  SerialFormat format;
};

constexpr SerialFormatName kSerialFormatNames[] = {
    {"le", SerialFormat::LittleEndian},
    {"be", SerialFormat::BigEndian},
    {"bcd", SerialFormat::Bcd},
    {"ascii", SerialFormat::Ascii},
};

}  // namespace

std::optional<SerialFormat> SerialFormatNamed(const std::string& name) {
  for (const SerialFormatName& entry : kSerialFormatNames) {
    if (name == entry.name) return entry.format;
  }
  return std::nullopt;
}

std::string NameOfSerialFormat(SerialFormat format) {
  for (const SerialFormatName& entry : kSerialFormatNames) {
    if (entry.format == format) return entry.name;
  }
  return {};
}

std::uint64_t LargestSerial(SerialFormat format, std::uint32_t width) {
  switch (format) {
    case SerialFormat::Bcd:
      return PowerOfTen(2 * width) - 1;
    case SerialFormat::Ascii:
      return PowerOfTen(width) - 1;
    default:
      return (std::uint64_t{1} << (8 * width)) - 1;
  }
}

std::vector<std::uint8_t> SerialBytes(std::uint64_t number, SerialFormat format, std::uint32_t width) {
  std::vector<std::uint8_t> bytes(width);
  // Filled from the last cell backwards, lowest digits or byte first.
  for (std::uint32_t i = width; i-- > 0;) {
    switch (format) {
      case SerialFormat::Bcd:
        bytes[i] = static_cast<std::uint8_t>((number % 10) | ((number / 10 % 10) << 4));
        number /= 100;
        break;
      case SerialFormat::Ascii:
        bytes[i] = static_cast<std::uint8_t>('0' + number % 10);
        number /= 10;
        break;
      default:
        bytes[i] = static_cast<std::uint8_t>(number & 0xFF);
        number >>= 8;
        break;
    }
  }
  if (format == SerialFormat::LittleEndian) return {bytes.rbegin(), bytes.rend()};
  return bytes;
}

std::optional<std::string> SerialFieldConflict(const SerialField& field, const DeviceEntry& device,
                                               const MemoryImage& image, bool overwrite) {
  const bool code = field.area == MemoryArea::ProgramMemory;
  const std::uint64_t start = code ? device.CodeStart : device.DataStart;
  const std::uint64_t end = code ? device.CodeEnd : device.DataEnd;
  const std::uint64_t fieldEnd = std::uint64_t{field.address} + field.width;
  if (end <= start) {
    return FormatText(texts::kSerialNoArea, SerialFieldText(field).c_str(), device.Name.c_str(),
                      code ? texts::kCodeArea : texts::kDataArea);
  }
  if (field.address < start || fieldEnd > end || fieldEnd > MemoryImage::kSize) {
    return FormatText(texts::kSerialOutsideArea, SerialFieldText(field).c_str(),
                      code ? texts::kCodeArea : texts::kDataArea, device.Name.c_str(),
                      static_cast<unsigned>(start), static_cast<unsigned>(end - 1));
  }
  if (overwrite) return std::nullopt;
  for (std::uint32_t address = field.address; address < fieldEnd; ++address) {
    if (image.bytes[address] != 0xFF) {
      return FormatText(texts::kSerialOverlapsData, SerialFieldText(field).c_str(), static_cast<unsigned>(address),
                        static_cast<unsigned>(image.bytes[address]));
    }
  }
  return std::nullopt;
}

std::string SerialFieldText(const SerialField& field) {
  return FormatText("%s:0x%04X:%u", field.area == MemoryArea::ProgramMemory ? "code" : "data",
                    static_cast<unsigned>(field.address), static_cast<unsigned>(field.width));
}

}  // namespace ferolith::cli
