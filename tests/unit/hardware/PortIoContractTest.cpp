// Every PortIo backend that can run here must carry the programmer's
// traffic unchanged: the virtual programmer itself, ppdev with a fake
// device node in front of a virtual programmer, and the trace in front of
// a virtual programmer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "hardware/PowerSequencer.h"
#include "hardware/PpdevPort.h"
#include "hardware/TracingPort.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"
#include "tests/unit/hardware/FakePpdev.h"

namespace ferolith {
namespace {

constexpr std::uint16_t kBase = 0x3BC;

// A backend under test and the programmer that ends up receiving its traffic.
struct BackendRig {
  virtual ~BackendRig() = default;
  virtual PortIo& Port() = 0;
  sim::VirtualProgrammer programmer{kBase};
};

struct SimulatorRig final : BackendRig {
  PortIo& Port() override { return programmer; }
};

struct PpdevRig final : BackendRig {
  PpdevRig() {
    std::string error;
    port = PpdevPort::Open("/dev/parport3", kBase, calls, error);
  }
  PortIo& Port() override { return *port; }
  testing::FakePpdev calls{"/dev/parport3", programmer, kBase};
  std::unique_ptr<PpdevPort> port;
};

struct TracingRig final : BackendRig {
  TracingRig() {
    settings.SetPortAdress(kBase);
    auto writer = std::make_unique<VcdWriter>();
    EXPECT_TRUE(writer->Open(dir.File("trace.vcd")));
    port = std::make_unique<TracingPort>(std::move(writer), settings);
    port->Follow(programmer);
  }
  PortIo& Port() override { return *port; }
  testing::TempDir dir;
  Settings settings;
  std::unique_ptr<TracingPort> port;
};

struct BackendCase {
  const char* name;
  std::function<std::unique_ptr<BackendRig>()> make;
};

class PortIoContract : public ::testing::TestWithParam<BackendCase> {};

TEST_P(PortIoContract, DataAndControlReadBackAndStatusIsNotWritten) {
  auto rig = GetParam().make();
  PortIo& port = rig->Port();
  port.Write(kBase, 0xA5);
  port.Write(kBase + 2, 0x0C);
  EXPECT_EQ(port.Read(kBase), 0xA5);
  EXPECT_EQ(port.Read(kBase + 2), 0x0C);
  EXPECT_EQ(port.Read(kBase + 1) & 0x80, 0x80) << "ready while the strobe is low";
  EXPECT_EQ(port.Read(kBase), 0xA5) << "reading the status changes nothing";
}

TEST_P(PortIoContract, CarriesDetectionAndPowerUpToTheProgrammer) {
  auto rig = GetParam().make();
  Settings settings;
  settings.SetPortAdress(kBase);
  settings.TimeOut = 10000;
  testing::ScriptedUi ui;
  RegisterLink link(rig->Port(), ui, settings);
  EXPECT_EQ(link.DetectProgrammer(), Result::Ok);

  DeviceEntry device;
  device.Package = 14;
  device.OperVoltageCode = 100;
  device.ProgVoltageCode = 120;
  PowerSequencer power(link, ui, device);
  power.EnterProgrammingMode();
  EXPECT_TRUE(rig->programmer.Lines().power);
  EXPECT_EQ(rig->programmer.Lines().operatingCode, 100);
  EXPECT_EQ(rig->programmer.Lines().pins, 0x40);
  EXPECT_EQ(link.ReadInput(), 0x40);
  power.LeaveProgrammingMode();
  EXPECT_FALSE(rig->programmer.Lines().power);
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_TRUE(rig->programmer.Violations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Backends, PortIoContract,
    ::testing::Values(BackendCase{"Simulator", [] { return std::unique_ptr<BackendRig>(new SimulatorRig); }},
                      BackendCase{"Ppdev", [] { return std::unique_ptr<BackendRig>(new PpdevRig); }},
                      BackendCase{"Trace", [] { return std::unique_ptr<BackendRig>(new TracingRig); }}),
    [](const ::testing::TestParamInfo<BackendCase>& param) { return std::string(param.param.name); });

// The trace's times are kept as decimal text and advanced by addition; each
// carry must reach every digit, and a time that does not change is written
// once.
TEST(VcdWriter, TimesAreWrittenOnceAndCarryThroughEveryDigit) {
  testing::TempDir dir;
  {
    VcdWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("t.vcd")));
    const int wire = writer.AddWire("port", "D0");
    writer.EndDefinitions();
    bool level = false;
    for (const std::uint64_t at : {0ull, 9ull, 10ull, 10ull, 99ull, 100ull, 1999ull, 2085ull, 99999999ull, 100000000ull}) {
      writer.Wire(at, wire, level = !level);
    }
  }
  const std::string text = testing::ReadFileBytes(dir.File("t.vcd"));
  ASSERT_NE(text.find("#0\n$dumpvars"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.find("#0\n$dumpvars")),
            "#0\n$dumpvars\nx!\n$end\n1!\n#9\n0!\n#10\n1!\n0!\n#99\n1!\n#100\n0!\n#1999\n1!\n#2085\n0!\n"
            "#99999999\n1!\n#100000000\n0!\n");
  EXPECT_NE(text.find("$timescale 1 us $end\n$scope module port $end\n$var wire 1 ! D0 $end\n$upscope $end\n"),
            std::string::npos);
}

}  // namespace
}  // namespace ferolith
