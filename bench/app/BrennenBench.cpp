#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
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

// One run of the program on the simulator, started up and with the burn
// file chosen, as the command line leaves it before its command.
struct Run {
  Run(const testing::TempDir& dir, const std::string& traceFile, const std::string& burnFile = "image.hex",
      sim::SimulationSpeed speed = {}, const std::string& simulationFile = {})
      : markers(dir.File("marks")) {
    ProgramOptions options;
    options.workingDirectory = dir.Path().string();
    options.simulate = true;
    options.simulationFile = simulationFile;
    options.traceFile = traceFile;
    options.simulateSpeed = speed;
    program = std::make_unique<Program>(ui, view, manufacturers, devices, markers, options);
    program->LoadSettings();
    program->PrepareHardware();
    program->FillLists();
    program->SetBurnFile(dir.File(burnFile));
  }
  testing::ScriptedUi ui;
  NoPreferences view;
  MemoryChoiceList manufacturers;
  MemoryChoiceList devices;
  LockFileMarkers markers;
  std::unique_ptr<Program> program;
};

// A whole "Brennen" with Verify through the command layer on the
// simulator: a 64 KiB Intel HEX burn file for BW12-D14/64E (64 KiB of
// program memory) is loaded, programmed, verified, and InitRegister1 is
// programmed and read back.
//
// With `traced`, every port access also goes into a trace file (--trace).
// Each iteration is a run of its own, timed from the command to the end of
// the program (which writes the rest of the trace and closes the file); the
// file is deleted after each, so that the writeback of an earlier trace does
// not slow a later one. The trace goes to the temporary folder: run with
// TMPDIR=/dev/shm to take the disk out of the figure. "process_cpu_ms" is
// the processor time of all threads (std::clock), which tells what the
// trace costs when the machine has no second core to spare.
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
  const std::string traceFile = traced ? dir.File("trace.vcd") : "";

  std::uint64_t writes = 0;
  std::uintmax_t traceBytes = 0;
  std::clock_t processor = 0;  // of every thread, the trace's writer too
  for (auto _ : state) {
    state.PauseTiming();
    auto run = std::make_unique<Run>(dir, traceFile);
    run->ui.AnswerBoxes({Answer::Ok});
    const std::uint64_t before = run->program->Simulator()->RegisterWrites();
    const std::clock_t started = std::clock();
    state.ResumeTiming();
    if (run->program->OnBrennen() != Result::Ok) {
      state.SkipWithError("Brennen failed");
      return;
    }
    writes += run->program->Simulator()->RegisterWrites() - before;
    run.reset();
    state.PauseTiming();
    processor += std::clock() - started;
    if (traced) {
      traceBytes += std::filesystem::file_size(traceFile);
      std::filesystem::remove(traceFile);
    }
    state.ResumeTiming();
  }
  const auto perRun = [&](double total) { return total / static_cast<double>(state.iterations()); };
  state.counters["process_cpu_ms"] = perRun(1000.0 * static_cast<double>(processor) / CLOCKS_PER_SEC);
  state.counters["register_writes_per_byte"] = benchmark::Counter(perRun(static_cast<double>(writes)) / 0x10000);
  if (traced && writes > 0) {
    state.counters["trace_bytes_per_register_write"] =
        benchmark::Counter(static_cast<double>(traceBytes) / static_cast<double>(writes));
  }
}

void BM_Brennen64KiBWithVerify(benchmark::State& state) { Brennen64KiB(state, false); }
void BM_Brennen64KiBWithVerifyTraced(benchmark::State& state) { Brennen64KiB(state, true); }
BENCHMARK(BM_Brennen64KiBWithVerify)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Brennen64KiBWithVerifyTraced)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A "Brennen" without Verify of QM1108-1K (1 KiB of program memory, no data
// EEPROM; InitRegister1 programmed and read back) on the simulator at the
// real programmer's pace or as fast as it goes, with and without the trace.
// One iteration a case: at the real pace a run lasts what the real
// programmer would take (some 18 s with TimeBaseKorr 85).
//
// "predicted_real_s" is the run's register writes times TimeBaseKorr, the
// time the real programmer takes; "wall_per_predicted" the measured time
// against it (1 at the real pace: the trace must not make it more);
// "process_cpu_ms" the processor time of all threads (the paced simulator
// sleeps most of the time, so this is what the trace costs there).
void Brennen1KiB(benchmark::State& state, sim::SimulationSpeed speed, bool traced) {
  constexpr double kTimeBaseKorrMicros = 85;
  testing::TempDir dir;
  std::filesystem::copy_file(testing::SourceDir() / "resources" / "ACELIST.CSV",
                             dir.File("ACELIST.CSV"));
  testing::WriteFileBytes(dir.File("KALVENOR.INI"),
                          "[Hardware]\nTimeBaseKorr=85\n"
                          "[Ferolith INI-Section]\nManufIndex=0\nDeviceIndex=0\nVerify=0\n");
  std::string image(0x400, '\0');
  std::mt19937 random(42);
  for (char& byte : image) byte = static_cast<char>(random() % 255);
  testing::WriteFileBytes(dir.File("image.bin"), image);
  const std::string traceFile = traced ? dir.File("trace.vcd") : "";

  std::uint64_t writes = 0;
  std::clock_t processor = 0;
  double wallSeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto run = std::make_unique<Run>(dir, traceFile, "image.bin", speed);
    run->ui.AnswerBoxes({Answer::Ok});
    const std::uint64_t before = run->program->Simulator()->RegisterWrites();
    const std::clock_t started = std::clock();
    const auto wallStart = std::chrono::steady_clock::now();
    state.ResumeTiming();
    if (run->program->OnBrennen() != Result::Ok) {
      state.SkipWithError("Brennen failed");
      return;
    }
    writes += run->program->Simulator()->RegisterWrites() - before;
    run.reset();
    state.PauseTiming();
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    processor += std::clock() - started;
    if (traced) std::filesystem::remove(traceFile);
    state.ResumeTiming();
  }
  const auto perRun = [&](double total) { return total / static_cast<double>(state.iterations()); };
  const double predicted = perRun(static_cast<double>(writes)) * kTimeBaseKorrMicros / 1e6;
  state.counters["register_writes"] = perRun(static_cast<double>(writes));
  state.counters["predicted_real_s"] = predicted;
  state.counters["wall_per_predicted"] = perRun(wallSeconds) / predicted;
  state.counters["process_cpu_ms"] = perRun(1000.0 * static_cast<double>(processor) / CLOCKS_PER_SEC);
}

BENCHMARK_CAPTURE(Brennen1KiB, real, sim::SimulationSpeed{1}, false)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(Brennen1KiB, real_traced, sim::SimulationSpeed{1}, true)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(Brennen1KiB, fast, sim::SimulationSpeed{0}, false)
    ->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK_CAPTURE(Brennen1KiB, fast_traced, sim::SimulationSpeed{0}, true)
    ->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Re-programming QM1108-1K (1 KiB, no data EEPROM) after a one-byte change
// of its burn file: "Brennen" with Verify against "Brennen" that programs
// only the changed cells (--only-changed), on the same chip, one after the
// other in each iteration, at the real programmer's pace or as fast as it
// goes. The chip is first programmed with the old file (untimed, as fast as
// it goes); both timed runs start from that chip.
//
// "writes_ratio" and "wall_ratio" are the only-changed run's register
// writes and wall time against the plain run's; the protocol allows about
// 0.48 (one read pass against programming and verifying), the target is at
// most 0.55.
void OnlyChangedAgainstProgramVerify(benchmark::State& state, sim::SimulationSpeed speed) {
  testing::TempDir dir;
  std::filesystem::copy_file(testing::SourceDir() / "resources" / "ACELIST.CSV", dir.File("ACELIST.CSV"));
  testing::WriteFileBytes(dir.File("KALVENOR.INI"),
                          "[Hardware]\nTimeBaseKorr=85\n"
                          "[Ferolith INI-Section]\nManufIndex=0\nDeviceIndex=0\nVerify=1\n");
  std::string image(0x400, '\0');
  std::mt19937 random(42);
  for (char& byte : image) byte = static_cast<char>(random() % 255);
  testing::WriteFileBytes(dir.File("old.bin"), image);
  image[0x123] = static_cast<char>(image[0x123] ^ 0x01);
  testing::WriteFileBytes(dir.File("new.bin"), image);

  // One timed "Brennen" of new.bin onto a chip that holds old.bin: its
  // register writes, its wall time in seconds.
  const auto reprogram = [&](bool onlyChanged, std::uint64_t& writes, double& seconds) {
    {
      Run old(dir, "", "old.bin", {}, dir.File("chip.sim"));
      old.ui.AnswerBoxes({Answer::Ok});
      if (old.program->OnBrennen() != Result::Ok) return false;
    }
    Run run(dir, "", "new.bin", speed, dir.File("chip.sim"));
    run.ui.AnswerBoxes({Answer::Ok});
    run.program->SetOnlyChanged(onlyChanged);
    const std::uint64_t before = run.program->Simulator()->RegisterWrites();
    const auto started = std::chrono::steady_clock::now();
    if (run.program->OnBrennen() != Result::Ok) return false;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    writes += run.program->Simulator()->RegisterWrites() - before;
    return true;
  };
  std::uint64_t plainWrites = 0;
  std::uint64_t onlyWrites = 0;
  double plainSeconds = 0;
  double onlySeconds = 0;
  for (auto _ : state) {
    if (!reprogram(false, plainWrites, plainSeconds) || !reprogram(true, onlyWrites, onlySeconds)) {
      state.SkipWithError("Brennen failed");
      return;
    }
  }
  const auto perRun = [&](double total) { return total / static_cast<double>(state.iterations()); };
  state.counters["plain_register_writes"] = perRun(static_cast<double>(plainWrites));
  state.counters["only_changed_register_writes"] = perRun(static_cast<double>(onlyWrites));
  state.counters["writes_ratio"] = static_cast<double>(onlyWrites) / static_cast<double>(plainWrites);
  state.counters["plain_s"] = perRun(plainSeconds);
  state.counters["only_changed_s"] = perRun(onlySeconds);
  state.counters["wall_ratio"] = onlySeconds / plainSeconds;
}

BENCHMARK_CAPTURE(OnlyChangedAgainstProgramVerify, real, sim::SimulationSpeed{1})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(OnlyChangedAgainstProgramVerify, fast, sim::SimulationSpeed{0})
    ->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace
}  // namespace ferolith
