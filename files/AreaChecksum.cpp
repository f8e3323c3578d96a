#include "files/AreaChecksum.h"

#include <algorithm>
#include <array>

namespace ferolith {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

AreaCells CellsOf(const DeviceEntry& device, MemoryArea area) {
  const bool code = area == MemoryArea::ProgramMemory;
  const std::uint32_t start = code ? device.CodeStart : device.DataStart;
  const std::uint32_t end = code ? device.CodeEnd : device.DataEnd;
  if (start >= MemoryImage::kSize) return {MemoryImage::kSize, MemoryImage::kSize};
  return {start, std::clamp(end, start + 1, MemoryImage::kSize)};
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

AreaChecksum ChecksumOf(const MemoryImage& image, const DeviceEntry& device, MemoryArea area) {
  AreaChecksum result;
  result.area = area;
  result.cells = CellsOf(device, area);
  const std::uint8_t* first = image.bytes.data() + result.cells.first;
  const std::size_t size = result.cells.end - result.cells.first;
  result.crc32 = Crc32(first, size);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < size; ++i) {
    sum += first[i];
    result.blank = result.blank && first[i] == 0xFF;
  }
  result.sum = static_cast<std::uint16_t>(sum & 0xFFFFu);
  return result;
}

}  // namespace ferolith
