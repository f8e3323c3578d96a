#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/MemoryImage.h"

namespace ferolith {

// What the record readers notice in a HEX file that loads all the same: a
// file that stops without its end record (cut off by an interrupted copy,
// or taken while a compiler still writes it: its tail would be burned
// blank), and records that give an address a second, different byte (the
// last one wins, as it always has).
struct RecordNotes {
  // Two records that wrote different bytes to one address.
  struct Overwrite {
    std::uint32_t address = 0;
    std::uint32_t firstLine = 0;  // the line that wrote it before
    std::uint8_t firstValue = 0;
    std::uint32_t line = 0;  // the line whose byte stays
    std::uint8_t value = 0;
  };

  bool endRecord = false;      // the reader stopped at the end record
  std::uint32_t lastLine = 0;  // number of the last line read (0: none)
  std::string lastLineText;    // that line, without its line end
  std::optional<Overwrite> firstOverwrite;
  std::uint32_t overwrites = 0;  // bytes that got a different value again
};

// Stores the data bytes of records into the image, as MemoryImage::StoreWide
// does, and notes in `notes` every byte that overwrites one of another
// line with a different value.
class RecordStore {
 public:
  RecordStore(MemoryImage& image, RecordNotes& notes);

  void Store(std::uint64_t address, std::uint8_t value, std::uint32_t lineNumber);

 private:
  MemoryImage& image_;
  RecordNotes& notes_;
  // The line that last wrote each address of the image; 0 for none.
  std::vector<std::uint32_t> writtenBy_;
};

// The warnings for a file at `path` that loaded with `notes` (none, one or
// two texts, without the word "Warnung").
std::vector<std::string> RecordWarnings(const std::string& path, const RecordNotes& notes);

}  // namespace ferolith
