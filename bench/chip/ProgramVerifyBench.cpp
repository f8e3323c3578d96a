// Programs and verifies 64 KiB of program memory on the simulator and
// reports the register writes per byte.

#include <benchmark/benchmark.h>

#include "tests/support/ChipRig.h"

namespace ferolith::testing {
namespace {

DeviceEntry FullCodeDevice() {
  DeviceEntry device = MakeDevice();
  device.CodeStart = 0;
  device.CodeSize = 0x10000;
  device.CodeEnd = 0x10000;
  return device;
}

void BM_ProgramAndVerify64KiB(benchmark::State& state) {
  const DeviceEntry device = FullCodeDevice();
  const double bytes = device.CodeEnd - device.CodeStart;
  std::uint64_t programWrites = 0;
  std::uint64_t verifyWrites = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto rig = std::make_unique<ChipStack>(device);
    for (std::uint32_t a = 0; a < MemoryImage::kSize; ++a) rig->image.Store(a, static_cast<std::uint8_t>(a ^ (a >> 8)));
    rig->ui.SetDefaultAnswer(Answer::Ok);
    state.ResumeTiming();

    const std::uint64_t before = rig->programmer.RegisterWrites();
    const ResultCode programmed = rig->operations.ProgramArea(MemoryArea::ProgramMemory);
    const std::uint64_t middle = rig->programmer.RegisterWrites();
    const ResultCode verified = rig->operations.VerifyArea(MemoryArea::ProgramMemory, false);
    programWrites = middle - before;
    verifyWrites = rig->programmer.RegisterWrites() - middle;
    if (programmed != Result::Ok || verified != Result::Ok) state.SkipWithError("program or verify failed");
    benchmark::DoNotOptimize(rig->chip.Code(0xFFFF));
  }
  state.counters["writes_per_programmed_byte"] = static_cast<double>(programWrites) / bytes;
  state.counters["writes_per_verified_byte"] = static_cast<double>(verifyWrites) / bytes;
}
BENCHMARK(BM_ProgramAndVerify64KiB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace ferolith::testing
