#include "link/PortProbe.h"

#include "core/DeviceEntry.h"
#include "core/SilentUi.h"
#include "link/CountingPort.h"
#include "link/PowerSequencer.h"
#include "link/RegisterLink.h"

namespace ferolith {

namespace {

// The status reads that `step` takes on `port`, and its result.
template <typename Step>
ResultCode Counted(const CountingPort& port, std::uint64_t& reads, Step step) {
  const std::uint64_t before = port.StatusReads();
  const ResultCode result = step();
  reads = port.StatusReads() - before;
  return result;
}

}  // namespace

ProbeMeasurement MeasurePort(PortIo& port, const Settings& settings, MonotonicClock* clock) {
  CountingPort counted(port, settings.StatusPort);
  SilentUi quiet;
  RegisterLink link(counted, quiet, settings);
  ProbeMeasurement m;
  m.rawStatus = counted.Read(settings.StatusPort);
  m.strobe = Counted(counted, m.strobeReads, [&] { return link.AnswerLoneStrobe(); });
  if (m.strobe != Result::Ok) return m;
  m.handshake = Counted(counted, m.handshakeReads, [&] { return link.WriteRegister(Reg::R12, 0x80); });
  if (m.handshake != Result::Ok) return m;
  link.WriteRegister(Reg::R14, 0x80);
  link.ClearRegisters();
  std::array<std::uint8_t, 3> read{};
  for (std::size_t i = 0; i < read.size(); ++i) read[i] = link.LoopBack(kLoopBackPatterns[i]);
  m.loopBack = read;
  if (clock != nullptr) m.timing = MeasureTiming(link, *clock, settings.TimeBaseKorr);
  PowerSequencer(link, quiet, DeviceEntry{}).SafeState();
  return m;
}

int MeasurementStatus(const ProbeMeasurement& m) {
  if (m.strobe != Result::Ok || m.handshake != Result::Ok) return ProbeStatus::NoHandshake;
  if (*m.loopBack != kLoopBackPatterns) return ProbeStatus::LoopBackFault;
  if (m.timing && !m.timing->complete) return ProbeStatus::NoHandshake;
  return m.timing && FitTimeBase(*m.timing).needsCorrection ? ProbeStatus::TimingOff : ProbeStatus::Answered;
}

}  // namespace ferolith
