// Loading a full 64 KiB Intel HEX burn file, and writing 64 KiB in each of
// the seven read-out formats.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/Files.h"
#include "files/DataFileLoader.h"
#include "files/ImageFileWriter.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace {

using namespace ferolith;

DeviceEntry FullDevice() {
  DeviceEntry device;
  device.CodeStart = 0;
  device.CodeSize = MemoryImage::kSize;
  device.CodeEnd = MemoryImage::kSize;
  return device;
}

std::unique_ptr<MemoryImage> RandomImage() {
  auto image = std::make_unique<MemoryImage>();
  std::mt19937 random(1);
  for (auto& value : image->bytes) value = static_cast<std::uint8_t>(random());
  return image;
}

// The real calls without the flush to disk, to measure the layer rather
// than the storage device.
class NoSyncFileOps : public ForwardingFileOps {
 public:
  int Sync(int) override { return 0; }
  int SyncDirectory(const std::string&) override { return 0; }
};

void LoadIntelHex64K(benchmark::State& state) {
  testing::TempDir dir;
  testing::ScriptedUi ui;
  const DeviceEntry device = FullDevice();
  Settings settings;
  settings.DataFormat = DataFormat::Intel8;
  settings.HexLineLen = 32;
  const std::string path = dir.File("full.hex");
  NoSyncFileOps ops;
  WriteImageFile(path, MemoryArea::ProgramMemory, ui, *RandomImage(), device, settings, ops);

  auto image = std::make_unique<MemoryImage>();
  DataFileLoader loader(ui, *image, device, settings);
  for (auto _ : state) {
    if (loader.LoadDataFile(path, MemoryArea::ProgramMemory) != Result::Ok) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(image->bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * MemoryImage::kSize);
}
BENCHMARK(LoadIntelHex64K)->Unit(benchmark::kMicrosecond);

// Argument 0: the DataFormat; argument 1: 1 to flush the file to disk on commit.
void Write64K(benchmark::State& state) {
  testing::TempDir dir;
  testing::ScriptedUi ui;
  const DeviceEntry device = FullDevice();
  const auto image = RandomImage();
  Settings settings;
  settings.DataFormat = FormatOfNumber(static_cast<int>(state.range(0)));
  settings.HexLineLen = 32;
  NoSyncFileOps noSync;
  FileOps& ops = state.range(1) != 0 ? SystemFileOps() : noSync;
  const std::string path = dir.File("out.hex");
  for (auto _ : state) {
    if (WriteImageFile(path, MemoryArea::ProgramMemory, ui, *image, device, settings, ops) != Result::Ok) {
      state.SkipWithError("write failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * MemoryImage::kSize);
}
BENCHMARK(Write64K)
    ->ArgNames({"format", "fsync"})
    ->ArgsProduct({{FormatNumber(DataFormat::Binary), FormatNumber(DataFormat::Intel8),
                    FormatNumber(DataFormat::Intel32), FormatNumber(DataFormat::IntelMCS),
                    FormatNumber(DataFormat::MotorolaS1), FormatNumber(DataFormat::MotorolaS2),
                    FormatNumber(DataFormat::MotorolaS3)},
                   {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
