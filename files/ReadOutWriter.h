#pragma once

#include <cstdint>
#include <string_view>

#include "core/AtomicFile.h"
#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"

namespace ferolith {

// Writes one memory area of the image into an open output file as a binary
// image, Intel HEX or Motorola S-records, following the settings HexLineLen
// and FFSave (and DataFormat for the record variant). Every write returns
// Result::Ok or Result::NotBlankOrReadOut after telling the user why; the
// caller commits or drops the output file.
class ReadOutWriter {
 public:
  ReadOutWriter(UiServices& ui, const MemoryImage& image, const DeviceEntry& device,
                const Settings& settings, AtomicFile& output)
      : ui_(ui), image_(image), device_(device), settings_(settings), output_(output) {}
  // The writer keeps references: temporaries would dangle.
  ReadOutWriter(UiServices&, const MemoryImage&, DeviceEntry&&, const Settings&, AtomicFile&) = delete;
  ReadOutWriter(UiServices&, const MemoryImage&, const DeviceEntry&, Settings&&, AtomicFile&) = delete;

  // Image bytes from address 0 up to the area's end; trailing blank cells
  // are left out unless FFSave is on.
  ResultCode WriteBinaryImage(MemoryArea area);
  // Address records by DataFormat, the area's data records, the end record.
  ResultCode WriteIntelFile(MemoryArea area);
  // Header, the empty S2/S3 lead record, the area's data records, the end record.
  ResultCode WriteMotorolaFile(MemoryArea area);

  // Data records for the image bytes start .. start + count - 1; a count of
  // 0 gives one record without data bytes. A full record of blank cells is
  // left out unless FFSave is on.
  ResultCode WriteIntelRecords(std::uint32_t start, std::uint32_t count);
  ResultCode WriteS1Records(std::uint32_t start, std::uint32_t count);
  ResultCode WriteS2Records(std::uint32_t start, std::uint32_t count);
  ResultCode WriteS3Records(std::uint32_t start, std::uint32_t count);

 private:
  enum class RecordKind { Intel, S1, S2, S3 };
  ResultCode WriteRecords(RecordKind kind, std::uint32_t start, std::uint32_t count);
  // Writes a header or end record; on failure shows `failure` and the file error.
  bool WriteFixedRecord(std::string_view record, const char* failure);
  std::uint32_t AreaStart(MemoryArea area) const;
  std::uint32_t AreaSize(MemoryArea area) const;

  UiServices& ui_;
  const MemoryImage& image_;
  const DeviceEntry& device_;
  const Settings& settings_;
  AtomicFile& output_;
};

}  // namespace ferolith
