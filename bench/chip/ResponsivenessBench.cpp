// How often the window is pumped while programming and verifying, on the
// virtual programmer behind a port whose every access takes a given time
// (0, 2 or 20 us; a register write is five accesses), and at the real
// programmer's pace. A UI double stamps every pump with the steady clock.
//
// Each pass runs until it ends or until its loop has worked for a budget of
// wall time; then "Abbrechen" is requested in the next pump. Reported:
//   max_gap_ms, p99_gap_ms  the longest and the 99th-percentile time between
//                           two pumps (power-up and power-down included);
//   pumps_per_s             pumps per second of the whole run;
//   cancel_to_stop_ms       from the cancel request to the end of the loop
//                           (the pass's last cell finished);
//   cancel_to_return_ms     from the cancel request to the pass returning,
//                           power-down included (300 ms of it is its delay,
//                           counted in register writes);
//   cell_ms                 the mean time of one cell of the loop.
// The passes run as ProgramArea and VerifyArea run them (safe state,
// power-up, loop, power-down), without the socket box, so that the end of
// the loop can be timed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

#include "core/PumpPacer.h"
#include "sim/PacedProgrammer.h"
#include "tests/support/ChipRig.h"

namespace ferolith::testing {
namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

// A port whose every access takes `delay` of busy waiting, as a slow port
// card or a long cable would.
class DelayPort final : public PortIo {
 public:
  DelayPort(PortIo& port, std::chrono::nanoseconds delay) : port_(port), delay_(delay) {}
  std::uint8_t Read(std::uint16_t address) override {
    Wait();
    return port_.Read(address);
  }
  void Write(std::uint16_t address, std::uint8_t value) override {
    Wait();
    port_.Write(address, value);
  }

 private:
  void Wait() const {
    if (delay_.count() == 0) return;
    const Clock::time_point until = Clock::now() + delay_;
    while (Clock::now() < until) {
    }
  }
  PortIo& port_;
  std::chrono::nanoseconds delay_;
};

// The UI double: the time of every pump, and "Abbrechen" in the first pump
// after the loop's budget is spent.
class StampingUi final : public ScriptedUi {
 public:
  explicit StampingUi(int& cancelRequested) : cancelRequested_(cancelRequested) {}

  // The loop of a pass begins now; "Abbrechen" after `budget`.
  void StartPass(std::chrono::nanoseconds budget) {
    loopBudget_ = budget;
    passStart_ = Clock::now();
    cancelAt_.reset();
  }
  void PumpMessages() override {
    const Clock::time_point now = Clock::now();
    pumps_.push_back(now);
    if (!cancelAt_ && now - passStart_ >= loopBudget_) {
      cancelAt_ = now;
      cancelRequested_ = 1;
    }
  }

  const std::vector<Clock::time_point>& Pumps() const { return pumps_; }
  std::optional<Clock::time_point> CancelAt() const { return cancelAt_; }

 private:
  int& cancelRequested_;
  std::chrono::nanoseconds loopBudget_{};
  Clock::time_point passStart_;
  std::optional<Clock::time_point> cancelAt_;
  std::vector<Clock::time_point> pumps_;
};

DeviceEntry CodeDevice(std::uint32_t size) {
  DeviceEntry device = MakeDevice();
  device.CodeStart = 0;
  device.CodeSize = size;
  device.CodeEnd = size;
  return device;
}

struct Figures {
  double maxGap = 0;
  double p99Gap = 0;
  double pumpsPerSecond = 0;
  double cancelToStop = 0;
  double cancelToReturn = 0;
  double cellMs = 0;
  int cancels = 0;
};

// One program pass and one verify pass, each cut short after `budget`.
// `delay` per port access; `speed` paces the virtual programmer (0: fast).
Figures Run(std::uint32_t size, std::chrono::nanoseconds delay, double speed, std::chrono::nanoseconds budget) {
  const DeviceEntry device = CodeDevice(size);
  Settings settings;
  settings.SetPortAdress(ChipStack::kBase);
  settings.TimeOut = 10000;
  sim::VirtualProgrammer programmer(ChipStack::kBase);
  sim::VirtualAceChip chip(device);
  programmer.Plug(&chip);
  SteadyClock steady;
  std::optional<sim::PacedProgrammer> paced;
  PortIo* inner = &programmer;
  if (speed > 0) {
    paced.emplace(programmer, settings, sim::SimulationSpeed{speed}, steady);
    inner = &*paced;
  }
  DelayPort port(*inner, delay);
  int cancel = 0;
  StampingUi ui(cancel);
  ui.SetDefaultAnswer(Answer::Ok);
  RegisterLink link(port, ui, settings);
  PowerSequencer power(link, ui, device);
  AceProtocol protocol(link, ui, device);
  Progress progress(ui);
  MemoryImage image;
  image.FillBlank();
  for (std::uint32_t a = 0; a < size; ++a) image.Store(a, static_cast<std::uint8_t>(a ^ (a >> 8)));
  ChipOperations operations(protocol, power, ui, progress, device, image, settings, cancel);
  PumpPacer pacer(ui, steady);
  link.UsePacer(pacer);
  progress.UsePacer(pacer);
  const PumpPacer::Armed armed(pacer);

  Figures figures;
  std::vector<double> gaps;
  double loopTime = 0;
  double cells = 0;
  for (const bool program : {true, false}) {
    cancel = 0;
    const std::size_t firstPump = ui.Pumps().size();
    // The frame of ProgramArea and VerifyArea, with the loop timed on its
    // own; no "Abbrechen" before the loop.
    ui.StartPass(std::chrono::hours(1));
    const Clock::time_point start = Clock::now();
    power.SafeState();
    power.EnterProgrammingMode();
    ui.StartPass(budget);
    const Clock::time_point loopStart = Clock::now();
    if (program) {
      operations.ProgramCodeMemory();
    } else {
      operations.VerifyCodeMemory();
    }
    const Clock::time_point loopEnd = Clock::now();
    power.LeaveProgrammingMode();
    const Clock::time_point end = Clock::now();

    Clock::time_point last = start;
    for (std::size_t i = firstPump; i < ui.Pumps().size(); ++i) {
      gaps.push_back(Millis(ui.Pumps()[i] - last).count());
      last = ui.Pumps()[i];
    }
    gaps.push_back(Millis(end - last).count());
    if (ui.CancelAt()) {
      ++figures.cancels;
      figures.cancelToStop = std::max(figures.cancelToStop, Millis(loopEnd - *ui.CancelAt()).count());
      figures.cancelToReturn = std::max(figures.cancelToReturn, Millis(end - *ui.CancelAt()).count());
    }
    loopTime += Millis(loopEnd - loopStart).count();
    cells += progress.Position() * progress.Divisor() + progress.Counter();
  }
  std::sort(gaps.begin(), gaps.end());
  figures.maxGap = gaps.back();
  figures.p99Gap = gaps[static_cast<std::size_t>(static_cast<double>(gaps.size() - 1) * 0.99)];
  const double total = std::accumulate(gaps.begin(), gaps.end(), 0.0);
  figures.pumpsPerSecond = static_cast<double>(ui.Pumps().size()) / (total / 1000.0);
  figures.cellMs = cells > 0 ? loopTime / cells : 0;
  return figures;
}

void Report(benchmark::State& state, const Figures& f) {
  state.counters["max_gap_ms"] = f.maxGap;
  state.counters["p99_gap_ms"] = f.p99Gap;
  state.counters["pumps_per_s"] = f.pumpsPerSecond;
  state.counters["cancel_to_stop_ms"] = f.cancelToStop;
  state.counters["cancel_to_return_ms"] = f.cancelToReturn;
  state.counters["cell_ms"] = f.cellMs;
  state.counters["cancelled_passes"] = f.cancels;
}

// Arguments: device size in bytes, delay per port access in us. Each pass
// is cut short after 1.5 s of work, so a large device at a slow port is
// measured in its first cells (with the progress bar's divisor of the
// whole device) instead of running for an hour.
void BM_PumpGaps(benchmark::State& state) {
  Figures figures;
  for (auto _ : state) {
    figures = Run(static_cast<std::uint32_t>(state.range(0)), std::chrono::microseconds(state.range(1)), 0,
                  std::chrono::milliseconds(1500));
  }
  Report(state, figures);
}
BENCHMARK(BM_PumpGaps)
    ->ArgNames({"bytes", "us_per_access"})
    ->ArgsProduct({{2048, 65536}, {0, 2, 20}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// At the real programmer's pace (TimeBaseKorr 85 us a register write), a
// 64 KiB device, cut short after 1.5 s of each pass.
void BM_PumpGapsAtRealSpeed(benchmark::State& state) {
  Figures figures;
  for (auto _ : state) {
    figures = Run(static_cast<std::uint32_t>(state.range(0)), std::chrono::nanoseconds(0), 1,
                  std::chrono::milliseconds(1500));
  }
  Report(state, figures);
}
BENCHMARK(BM_PumpGapsAtRealSpeed)->ArgNames({"bytes"})->Arg(65536)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace ferolith::testing
