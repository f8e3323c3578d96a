// Feeds arbitrary bytes to the reader of the virtual chip's contents file.
// Text it accepts must survive a write and a second read unchanged; text it
// refuses must leave the contents as they were.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/chip/ChipContents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static ferolith::sim::ChipContents contents;
  static ferolith::sim::ChipContents before;
  contents.Erase();
  contents.code[0x1234] = 0x5A;
  before = contents;
  if (!ferolith::sim::ParseContents(text, contents)) {
    if (!(contents == before)) std::abort();
    return 0;
  }
  static ferolith::sim::ChipContents again;
  if (!ferolith::sim::ParseContents(ferolith::sim::FormatContents(contents), again) || !(again == contents)) {
    std::abort();
  }
  return 0;
}
