#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "app/Program.h"
#include "config/ChoiceList.h"
#include "platform/DesktopMarkers.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

class NoPreferences : public StartupView {
 public:
  void ShowPreferences() override {}
};

// A whole "Brennen" with Verify through the command layer on the
// simulator: a 64 KiB Intel HEX burn file for BW12-D14/64E (64 KiB of
// program memory) is loaded, programmed, verified, and InitRegister1 is
// programmed and read back.
// With `traced`, every port access also goes into a trace file (--trace).
void Brennen64KiB(benchmark::State& state, bool traced) {
  testing::TempDir dir;
  std::filesystem::copy_file(testing::SourceDir() / "resources" / "ACELIST.CSV",
                             dir.File("ACELIST.CSV"));
  testing::WriteFileBytes(dir.File("KALVENOR.INI"),
                          "[Ferolith INI-Section]\nManufIndex=1\nDeviceIndex=2\nVerify=1\n");
  std::string image(0x10000, '\0');
  std::mt19937 random(42);
  for (char& byte : image) byte = static_cast<char>(random() % 255);  // never 0xFF
  testing::WriteFileBytes(dir.File("image.bin"), image);
  const std::string convert = "srec_cat " + dir.File("image.bin") + " -binary -o " +
                              dir.File("image.hex") + " -intel -address-length=2";
  if (std::system(convert.c_str()) != 0) {
    state.SkipWithError("srec_cat is needed to make the burn file");
    return;
  }

  testing::ScriptedUi ui;
  NoPreferences view;
  MemoryChoiceList manufacturers;
  MemoryChoiceList devices;
  LockFileMarkers markers(dir.File("marks"));
  ProgramOptions options;
  options.workingDirectory = dir.Path().string();
  options.simulate = true;
  if (traced) options.traceFile = dir.File("trace.vcd");
  Program program(ui, view, manufacturers, devices, markers, options);
  program.LoadSettings();
  program.PrepareHardware();
  program.FillLists();
  program.SetBurnFile(dir.File("image.hex"));

  std::uint64_t writes = 0;
  for (auto _ : state) {
    ui.AnswerBoxes({Answer::Ok});
    const std::uint64_t before = program.Simulator()->RegisterWrites();
    if (program.OnBrennen() != Result::Ok) {
      state.SkipWithError("Brennen failed");
      return;
    }
    writes += program.Simulator()->RegisterWrites() - before;
  }
  state.counters["register_writes_per_byte"] = benchmark::Counter(
      static_cast<double>(writes) / static_cast<double>(state.iterations()) / 0x10000);
}

void BM_Brennen64KiBWithVerify(benchmark::State& state) { Brennen64KiB(state, false); }
void BM_Brennen64KiBWithVerifyTraced(benchmark::State& state) { Brennen64KiB(state, true); }
BENCHMARK(BM_Brennen64KiBWithVerify)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Brennen64KiBWithVerifyTraced)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace ferolith
