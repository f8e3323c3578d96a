// Every PortIo backend that can run here must carry the programmer's
// traffic unchanged: the virtual programmer itself; the trace in front of
// a virtual programmer; on Linux ppdev with a fake device node, on Windows
// the port DLL backend with a fake DLL of our own, each in front of a
// virtual programmer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "link/PowerSequencer.h"
#include "trace/TracingPort.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"
#ifdef _WIN32
#include <windows.h>

#include <filesystem>

#include "port/PortAccess.h"
#include "port/WindowsPort.h"
#else
#include "port/PpdevPort.h"
#include "tests/unit/port/FakePpdev.h"
#endif

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

#ifdef _WIN32
// The backend loads the fake DLL, which records every call and passes it on
// to the virtual programmer.
struct InpOutRig final : BackendRig {
  using Attach = void(__cdecl*)(short (*)(void*, short), void (*)(void*, short, short), void*, BOOL);
  using Traffic = const char*(__cdecl*)();

  // The fake DLL as built beside the tests (FEROLITH_FAKE_INPOUT), with the
  // separators and the drive of Windows: the backend loads a DLL by its
  // full path only.
  static std::string Library() {
    return std::filesystem::absolute(std::filesystem::path(FEROLITH_FAKE_INPOUT).make_preferred()).string();
  }
  explicit InpOutRig(BOOL driverOpen = TRUE) {
    // Attach first (the backend asks IsInpOutDriverOpen while it opens),
    // through a handle of our own that keeps the DLL loaded.
    module = LoadLibraryA(Library().c_str());
    EXPECT_NE(module, nullptr) << Library();
    if (module == nullptr) return;
    traffic = reinterpret_cast<Traffic>(reinterpret_cast<void*>(GetProcAddress(module, "FakeInpOutTraffic")));
    reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(module, "FakeInpOutAttach")))(
        [](void* self, short address) {
          return static_cast<short>(static_cast<InpOutRig*>(self)->programmer.Read(static_cast<std::uint16_t>(address)));
        },
        [](void* self, short address, short value) {
          static_cast<InpOutRig*>(self)->programmer.Write(static_cast<std::uint16_t>(address),
                                                          static_cast<std::uint8_t>(value));
        },
        this, driverOpen);
    port = InpOutPort::Open(kBase, Library(), error);
  }
  ~InpOutRig() override {
    port.reset();
    if (module != nullptr) FreeLibrary(module);
  }
  PortIo& Port() override { return *port; }
  HMODULE module = nullptr;
  Traffic traffic = nullptr;
  std::string error;
  std::unique_ptr<InpOutPort> port;
};

// One register write through the DLL, call by call: the data byte, the
// register number on the control port, the status read until the
// programmer is ready, the strobe, the status read until it took the byte.
// That last status shows the low half of the input, which is register 10's
// loop-back: 0x5A's low nibble 1010 in status bits 6, 3, 4, 5 is 0x28.
TEST(InpOutPort, OneRegisterWriteIsThisDllTraffic) {
  InpOutRig rig;
  ASSERT_NE(rig.port, nullptr) << rig.error;
  Settings settings;
  settings.SetPortAdress(kBase);
  testing::ScriptedUi ui;
  RegisterLink link(*rig.port, ui, settings);
  ASSERT_EQ(link.WriteRegister(10, 0x5A), Result::Ok);
  EXPECT_EQ(std::string(rig.traffic()),
            "Out32(03BC, 5A)\n"
            "Out32(03BE, 0A)\n"
            "Inp32(03BD) = 80\n"
            "Out32(03BE, 0B)\n"
            "Inp32(03BD) = 28\n");
  // Other addresses never reach the DLL.
  const std::string before = rig.traffic();
  EXPECT_EQ(rig.port->Read(kBase + 3), 0xFF);
  rig.port->Write(kBase - 1, 0x12);
  EXPECT_EQ(rig.traffic(), before);
}

TEST(InpOutPort, AMissingDllOrDriverIsRefusedWithItsReason) {
  InpOutRig closed(FALSE);
  EXPECT_EQ(closed.port, nullptr);
  EXPECT_NE(closed.error.find("der Treiber läuft nicht"), std::string::npos) << closed.error;
  std::string error;
  const std::string missing = (std::filesystem::temp_directory_path() / "ferolith-no-such-port.dll").string();
  EXPECT_EQ(InpOutPort::Open(kBase, missing, error), nullptr);
  EXPECT_EQ(error, missing + " nicht gefunden (der Treiber ist nicht installiert)");
  // A bare name is never searched for: the search would take the working
  // folder too.
  EXPECT_EQ(InpOutPort::Open(kBase, "inpoutx64.dll", error), nullptr);
  EXPECT_EQ(error, "inpoutx64.dll: keine Port-DLL ohne vollen Pfad");
}

// A 64-bit Windows (wine stands in for one) loads no giveio: the giveio
// steps are left out, direct port instructions are refused for want of it,
// and the signed driver's DLL is looked for. Without it: one message that
// says what to do, and demo mode.
TEST(InpOutPort, SixtyFourBitWindowsGoesFromDirectIoToTheDll) {
  ASSERT_TRUE(Is64BitWindows());
  Settings settings;
  settings.SetPortAdress(0x378);
  testing::ScriptedUi ui;
  const PortAccess access = PreparePortAccess(settings, ui);
  EXPECT_TRUE(access.DemoMode());
  const auto texts = ui.Texts(testing::ScriptedUi::Kind::Info);
  ASSERT_EQ(texts.size(), 1u);
  const std::string dll = InpOutPort::LibraryName();
  for (const std::string& hint : {std::string("direct: kein Portzugriff ohne den giveio-Treiber"),
                                  "inpout: " + dll + " nicht gefunden", std::string("signierten Porttreiber"),
                                  std::string("Demo-Modus")}) {
    EXPECT_NE(texts[0].find(hint), std::string::npos) << hint << "\n" << texts[0];
  }
}
#else
struct PpdevRig final : BackendRig {
  PpdevRig() {
    std::string error;
    port = PpdevPort::Open("/dev/parport3", kBase, calls, error);
  }
  PortIo& Port() override { return *port; }
  testing::FakePpdev calls{"/dev/parport3", programmer, kBase};
  std::unique_ptr<PpdevPort> port;
};
#endif

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

const BackendCase kBackends[] = {
    {"Simulator", [] { return std::unique_ptr<BackendRig>(new SimulatorRig); }},
#ifdef _WIN32
    {"InpOutDll", [] { return std::unique_ptr<BackendRig>(new InpOutRig); }},
#else
    {"Ppdev", [] { return std::unique_ptr<BackendRig>(new PpdevRig); }},
#endif
    {"Trace", [] { return std::unique_ptr<BackendRig>(new TracingRig); }},
};

INSTANTIATE_TEST_SUITE_P(
    Backends, PortIoContract, ::testing::ValuesIn(kBackends),
    [](const ::testing::TestParamInfo<BackendCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ferolith
