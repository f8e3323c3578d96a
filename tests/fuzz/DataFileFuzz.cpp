// Feeds arbitrary bytes to format detection and to both HEX readers, as
// they would arrive from a burn file, and checks what every read must
// leave behind.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "core/DataFormat.h"
#include "core/TextLineReader.h"
#include "files/FormatDetection.h"
#include "files/IntelHexReader.h"
#include "files/MotorolaReader.h"
#include "tests/support/ScriptedUi.h"

namespace {

using ferolith::MemoryImage;
using ferolith::ResultCode;
using ferolith::TextLineReader;

// A read stream over the input bytes; fmemopen does not take an empty buffer.
struct InputFile {
  InputFile(const std::uint8_t* data, std::size_t size)
      : file(size == 0 ? nullptr : fmemopen(const_cast<std::uint8_t*>(data), size, "rb")) {}
  ~InputFile() {
    if (file != nullptr) std::fclose(file);
  }
  std::FILE* file;
};

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

template <typename Reader>
void ReadAll(const std::uint8_t* data, std::size_t size, bool testChecksum, Reader reader) {
  InputFile input(data, size);
  if (input.file == nullptr) return;
  TextLineReader lines(input.file);
  auto image = std::make_unique<MemoryImage>();
  image->FillBlank();
  ferolith::testing::ScriptedUi ui;
  ferolith::RecordNotes notes;
  const ResultCode result = reader(lines, *image, ui, testChecksum, notes);
  // A byte overwritten is a byte stored; the first one is named.
  Require(notes.overwrites <= image->byteCount);
  Require((notes.overwrites == 0) == !notes.firstOverwrite.has_value());
  if (notes.firstOverwrite) Require(notes.firstOverwrite->firstLine < notes.firstOverwrite->line);
  // Success is silent; a failure shows exactly one message.
  Require(result == ferolith::Result::Ok ? ui.Messages().empty()
                                         : result == ferolith::Result::FileNotLoaded && ui.Messages().size() == 1);
  if (image->byteCount == 0) {
    Require(image->lowestAddress == 0xFFFFFFFFu && image->highestAddress == 0);
  } else {
    Require(image->lowestAddress <= image->highestAddress);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    InputFile input(data, size);
    if (input.file != nullptr) {
      TextLineReader lines(input.file);
      const ferolith::DataFormat format = ferolith::DetectFormat(lines);
      Require(format >= ferolith::DataFormat::Undecided && format <= ferolith::DataFormat::MotorolaS3);
    }
  }
  const bool testChecksum = size > 0 && (data[0] & 1) != 0;
  ReadAll(data, size, testChecksum, ferolith::ReadIntelHexFile);
  ReadAll(data, size, testChecksum, ferolith::ReadMotorolaFile);
  return 0;
}
