#pragma once

#include <cstddef>
#include <cstdint>

#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "files/MemoryImage.h"

namespace ferolith {

// The image cells of one memory area of a device, [first, end): the
// addresses the chip passes program, verify and read. Clamped to the image;
// an area of size 0 still has its start cell (every pass visits it); an area
// that starts beyond the image has none.
struct AreaCells {
  std::uint32_t first = 0;
  std::uint32_t end = 0;
};
AreaCells CellsOf(const DeviceEntry& device, MemoryArea area);

// CRC-32 as zip and PNG use it: reflected, polynomial 0xEDB88320, initial
// value and final XOR 0xFFFFFFFF.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// What an operator compares with a release sheet: the area's cells in the
// image with the blank cells at 0xFF, whatever file format carried them.
struct AreaChecksum {
  MemoryArea area = MemoryArea::ProgramMemory;
  AreaCells cells;
  std::uint32_t crc32 = 0;
  std::uint16_t sum = 0;  // the bytes added up, modulo 0x10000
  bool blank = true;      // every cell 0xFF
};
AreaChecksum ChecksumOf(const MemoryImage& image, const DeviceEntry& device, MemoryArea area);

}  // namespace ferolith
