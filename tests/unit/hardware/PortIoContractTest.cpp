// Every PortIo backend that can run here must carry the programmer's
// traffic unchanged: the virtual programmer itself, and ppdev with a fake
// device node in front of a virtual programmer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "hardware/PowerSequencer.h"
#include "hardware/PpdevPort.h"
#include "tests/support/ScriptedUi.h"
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
                      BackendCase{"Ppdev", [] { return std::unique_ptr<BackendRig>(new PpdevRig); }}),
    [](const ::testing::TestParamInfo<BackendCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ferolith
