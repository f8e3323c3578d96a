// Start-up costs of the config layer: reading KALVENOR.INI, writing it
// back, and the library operations that re-read ACELIST.CSV from the start.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "config/DeviceLibrary.h"
#include "config/SettingsFile.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace {

using ferolith::testing::ScriptedUi;
using ferolith::testing::TempDir;

const char* const kIni =
    "; shared by the programmer family\r\n"
    "[Hardware]\r\nPortAdress=378\r\nSearchHardware=2\r\nTimeOut=100000\r\nTimeBaseKorr=85\r\n"
    "MessageBeap=1\r\n\r\n[KalvenorDevil]\r\nLanguage=DE\r\nLastDevice=7\r\n\r\n"
    "[Ferolith INI-Section]\r\nVerify=1\r\nFFSave=0\r\nX-Koord=120\r\nY-Koord=80\r\n"
    "DataFormat=2\r\nManufIndex=1\r\nDeviceIndex=2\r\nTestChecksum=1\r\nShowDeviceData=0\r\n"
    "ReadFilter=1\r\nEndMessage=0\r\nHexLineLen=32\r\nInitRegister1=c5\r\n"
    "DataPath=/home/user/firmware/\r\nLastFile=blink.hex\r\n";

void ReadSettingsFromMemory(benchmark::State& state) {
  ScriptedUi ui;
  for (auto _ : state) {
    ferolith::ProfileFile file;
    file.Parse(kIni);
    ferolith::Settings settings;
    ferolith::ReadSettings(ui, settings, file, "/home/user");
    benchmark::DoNotOptimize(settings);
  }
}
BENCHMARK(ReadSettingsFromMemory);

void WriteSettingsToMemory(benchmark::State& state) {
  ScriptedUi ui;
  ferolith::ProfileFile original;
  original.Parse(kIni);
  ferolith::Settings settings;
  ferolith::ReadSettings(ui, settings, original, "/home/user");
  for (auto _ : state) {
    ferolith::ProfileFile file = original;
    ferolith::WriteSettings(settings, file);
    benchmark::DoNotOptimize(file.Serialize());
  }
}
BENCHMARK(WriteSettingsToMemory);

// The whole save, with its temporary file, fsync and rename.
void SaveSettingsToDisk(benchmark::State& state) {
  TempDir dir;
  ferolith::testing::WriteFileBytes(dir.File("KALVENOR.INI"), kIni);
  ScriptedUi ui;
  ferolith::Settings settings;
  ferolith::LoadSettings(ui, settings, dir.Path().string());
  for (auto _ : state) benchmark::DoNotOptimize(ferolith::SaveSettings(settings).error);
}
BENCHMARK(SaveSettingsToDisk)->Unit(benchmark::kMicrosecond);

class SampleLibrary {
 public:
  SampleLibrary() {
    std::filesystem::copy_file(ferolith::testing::SourceDir() / "resources" / "ACELIST.CSV",
                               dir_.Path() / "ACELIST.CSV");
    settings.IniPath = dir_.File("KALVENOR.INI");
    settings.ManufIndex = 2;
    settings.DeviceIndex = 2;
  }
  ScriptedUi ui;
  ferolith::Settings settings;
  ferolith::DeviceEntry device;
  ferolith::DeviceLibrary library{ui, settings, device};

 private:
  TempDir dir_;
};

void LoadSelectedDevice(benchmark::State& state) {
  SampleLibrary sample;
  for (auto _ : state) benchmark::DoNotOptimize(sample.library.LoadSelectedDevice());
}
BENCHMARK(LoadSelectedDevice)->Unit(benchmark::kMicrosecond);

void FillDeviceList(benchmark::State& state) {
  SampleLibrary sample;
  ferolith::MemoryChoiceList devices;
  for (auto _ : state) benchmark::DoNotOptimize(sample.library.FillDeviceList(devices));
}
BENCHMARK(FillDeviceList)->Unit(benchmark::kMicrosecond);

}  // namespace
