// Feeds arbitrary bytes to the device library as ACELIST.CSV: every line
// goes through the line parser, and the lists are filled and devices loaded
// for the first few manufacturers, checking what must hold for any input.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "config/DeviceLibrary.h"
#include "config/DeviceLineParser.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace {

// The fill and load work on a file; one directory serves the whole run.
constexpr int kManufacturersTried = 4;
constexpr int kDevicesTried = 4;

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireSound(const ferolith::DeviceEntry& device) {
  Require(device.Package == 8 || device.Package == 14);
  Require(device.CodeStart <= device.CodeEnd && device.CodeEnd <= 0x10000 && device.CodeEnd > 0);
  Require(device.CodeEnd - device.CodeStart == device.CodeSize);
  Require(device.DataStart <= device.DataEnd && device.DataEnd <= 0x10000);
  Require(device.DataEnd - device.DataStart == device.DataSize);
  Require(device.ChipType == 1 || device.ChipType == 2);
}

void RequireSelectionInside(const ferolith::MemoryChoiceList& list) {
  Require(list.Selected() == -1 ||
          static_cast<std::size_t>(list.Selected()) < list.Names().size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ferolith::testing::TempDir dir;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ferolith::testing::ScriptedUi ui;

  // Each line on its own, as the parser would get it.
  ferolith::DeviceEntry device;
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
    if (ferolith::ParseDeviceLine(line, {"ACELIST.CSV", 85}, device, ui) == ferolith::Result::Ok) {
      RequireSound(device);
    }
    rest.remove_prefix(line.size());
  }

  // The whole input as the library file.
  ferolith::testing::WriteFileBytes(dir.File("ACELIST.CSV"), std::string(bytes));
  ferolith::Settings settings;
  settings.IniPath = dir.File("KALVENOR.INI");
  settings.ManufIndex = size > 0 ? data[0] % 8 : 0;
  settings.DeviceIndex = size > 1 ? data[1] % 8 : 0;
  ferolith::DeviceLibrary library(ui, settings, device);
  ferolith::MemoryChoiceList manufacturers;
  library.FillManufacturerList(manufacturers);
  RequireSelectionInside(manufacturers);
  const int tried = std::min<int>(kManufacturersTried, static_cast<int>(manufacturers.Names().size()));
  for (int m = 0; m < tried; ++m) {
    settings.ManufIndex = m;
    ferolith::MemoryChoiceList devices;
    library.FillDeviceList(devices);
    RequireSelectionInside(devices);
    for (int d = 0; d < kDevicesTried; ++d) {
      settings.DeviceIndex = d;
      if (library.LoadSelectedDevice() == ferolith::Result::Ok) RequireSound(device);
    }
  }
  return 0;
}
