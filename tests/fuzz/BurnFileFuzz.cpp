// Feeds arbitrary bytes to the burn file loader as a file on disk: format
// detection, the binary loader or a HEX reader, and the range check of the
// selected device. The first byte picks the area and the checksum test, the
// rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "core/Settings.h"
#include "files/DataFileLoader.h"
#include "files/MemoryImage.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

ferolith::DeviceEntry SmallDevice() {
  ferolith::DeviceEntry device;
  device.Name = "FUZZ";
  device.Package = 8;
  device.CodeStart = 0x0800;
  device.CodeSize = 0x0800;
  device.CodeEnd = 0x1000;
  device.DataStart = 0;
  device.DataSize = 0x40;
  device.DataEnd = 0x40;
  device.ChipType = ferolith::ChipTypeCode::ACE11;
  return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static ferolith::testing::TempDir dir;
  static const std::string path = dir.File("burn.bin");
  static const ferolith::DeviceEntry device = SmallDevice();
  static auto image = std::make_unique<ferolith::MemoryImage>();
  ferolith::testing::WriteFileBytes(path, std::string(reinterpret_cast<const char*>(data + 1), size - 1));

  const bool program = (data[0] & 1) == 0;
  const auto area = program ? ferolith::MemoryArea::ProgramMemory : ferolith::MemoryArea::DataEeprom;
  ferolith::Settings settings;
  settings.TestChecksum = (data[0] & 2) != 0 ? 1 : 0;
  ferolith::testing::ScriptedUi ui;
  ferolith::DataFileLoader loader(ui, *image, device, settings);
  const ferolith::ResultCode result = loader.LoadDataFile(path, area);

  if (result == ferolith::Result::Ok) {
    // A loaded file says nothing and lies inside the area (a HEX file of
    // nothing but an end record loads no byte at all).
    Require(ui.Messages().empty());
    const std::uint32_t start = program ? device.CodeStart : device.DataStart;
    const std::uint32_t end = program ? device.CodeEnd : device.DataEnd;
    Require(image->byteCount == 0 || (image->lowestAddress >= start && image->highestAddress < end));
  } else {
    // A refused file is explained in exactly one message.
    Require(result == ferolith::Result::FileNotLoaded && ui.Messages().size() == 1);
  }
  // Plain text of neither HEX format is refused undecided.
  const ferolith::DataFormat lowest = result == ferolith::Result::Ok ? ferolith::DataFormat::Binary
                                                    : ferolith::DataFormat::Undecided;
  Require(settings.DataFormat >= lowest && settings.DataFormat <= ferolith::DataFormat::MotorolaS3);
  return 0;
}
