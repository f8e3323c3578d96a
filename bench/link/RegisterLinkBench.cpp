// Register writes per second through the register link into the virtual
// programmer: the cost of every chip operation run on the simulator.
#include <benchmark/benchmark.h>

#include "core/Settings.h"
#include "link/RegisterLink.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/ScriptedUi.h"

namespace {

using namespace ferolith;

// A socket device that pulls nothing low; it stands for the chip's cost of
// being told the lines.
class IdleDevice final : public sim::SocketDevice {
 public:
  void OnLines(const sim::SocketLines& lines, std::uint64_t nowMicros) override {
    benchmark::DoNotOptimize(lines.pins);
    benchmark::DoNotOptimize(nowMicros);
  }
  std::uint8_t PulledLow(std::uint64_t) const override { return 0; }
};

void RegisterWrites(benchmark::State& state) {
  Settings settings;
  settings.SetPortAdress(0x378);
  testing::ScriptedUi ui;
  sim::VirtualProgrammer programmer(0x378);
  IdleDevice device;
  if (state.range(0) != 0) programmer.Plug(&device);
  RegisterLink link(programmer, ui, settings);
  std::uint8_t value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(link.WriteRegister(Reg::R10, value));
    value = static_cast<std::uint8_t>(value + 1);
  }
  state.counters["writes/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(RegisterWrites)->Arg(0)->Arg(1)->ArgName("device");

void InputReads(benchmark::State& state) {
  Settings settings;
  settings.SetPortAdress(0x378);
  testing::ScriptedUi ui;
  sim::VirtualProgrammer programmer(0x378);
  RegisterLink link(programmer, ui, settings);
  link.WriteRegister(Reg::R10, 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(link.ReadInput());
  state.counters["reads/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(InputReads);

}  // namespace
