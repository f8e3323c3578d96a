// Every PortIo backend that can run here must carry the programmer's
// traffic unchanged: the virtual programmer itself; the trace in front of
// a virtual programmer; on Linux ppdev with a fake device node, on Windows
// the port DLL backend with a fake DLL of our own, each in front of a
// virtual programmer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "hardware/PowerSequencer.h"
#include "hardware/TracingPort.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"
#ifdef _WIN32
#include <windows.h>

#include <filesystem>

#include "hardware/PortAccess.h"
#include "hardware/WindowsPort.h"
#else
#include "hardware/PpdevPort.h"
#include "tests/unit/hardware/FakePpdev.h"
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
  // separators of Windows.
  static std::string Library() {
    return std::filesystem::path(FEROLITH_FAKE_INPOUT).make_preferred().string();
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
  EXPECT_EQ(InpOutPort::Open(kBase, "ferolith-no-such-port.dll", error), nullptr);
  EXPECT_EQ(error, "ferolith-no-such-port.dll nicht gefunden (der Treiber ist nicht installiert)");
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

// The trace's times are kept as decimal text and advanced by addition; each
// carry must reach every digit. Changes are written in signal order.
TEST(VcdWriter, TimesCarryThroughEveryDigitAndChangesFollowTheirTime) {
  testing::TempDir dir;
  {
    VcdWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("t.vcd")));
    const int wire = writer.AddWire("port", "D0");
    writer.AddWire("port", "D1");
    writer.EndDefinitions();
    writer.Wires(3, 2);
    std::uint64_t level = 1;
    for (const std::uint64_t at : {9ull, 10ull, 99ull, 100ull, 1999ull, 2085ull, 19999ull, 20042ull, 20085ull, 99999999ull,
                                    100000000ull}) {
      writer.Time(at);
      writer.Wires(std::uint64_t{1} << wire, level);
      level ^= 1;
    }
  }
  const std::string text = testing::ReadFileBytes(dir.File("t.vcd"));
  ASSERT_NE(text.find("#0\n$dumpvars"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.find("#0\n$dumpvars")),
            "#0\n$dumpvars\nx!\nx\"\n$end\n0!\n1\"\n#9\n1!\n#10\n0!\n#99\n1!\n#100\n0!\n#1999\n1!\n#2085\n0!\n#19999\n1!\n"
            "#20042\n0!\n#20085\n1!\n#99999999\n0!\n#100000000\n1!\n");
  EXPECT_NE(text.find("$timescale 1 us $end\n$scope module port $end\n$var wire 1 ! D0 $end\n"),
            std::string::npos);
}


// A port whose status reads follow a script; writes only go to the trace.
struct ScriptedStatus final : PortIo {
  std::uint8_t Read(std::uint16_t address) override {
    if (address != kBase + 1 || next == status.size()) return 0;
    return status[next++];
  }
  void Write(std::uint16_t, std::uint8_t) override {}
  std::vector<std::uint8_t> status;
  std::size_t next = 0;
};

// Register writes through the tracing port, each a slot of TimeBaseKorr
// microseconds: data, register number and "ready" at the slot's start,
// strobe, "taken", the decoded write and WR at its middle, WR low with the
// next write. A status line that changes twice at one time moves the second
// change one microsecond on; repeated reads change nothing; a new
// TimeBaseKorr counts from the write it was set before; the chip's lines
// change where they were sampled.
TEST(TracingPort, RegisterWritesAreSlotsOfTheTimeBaseWithEveryEdgeKept) {
  testing::TempDir dir;
  Settings settings;
  settings.SetPortAdress(kBase);
  settings.TimeBaseKorr = 10;
  ScriptedStatus port;
  //  busy, ready, ready, taken | ready, taken | ready, taken
  port.status = {0x00, 0x80, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00};
  std::uint32_t clock = 1;
  TraceExtras extras{{"CLK"}, {"VCC"}, [&clock](std::uint32_t& wires, std::uint32_t* millivolts) {
                       wires = clock;
                       millivolts[0] = 5000 * clock;
                     }};
  auto writer = std::make_unique<VcdWriter>();
  ASSERT_TRUE(writer->Open(dir.File("t.vcd")));
  TracingPort trace(std::move(writer), settings, extras);
  trace.Follow(port);
  const auto registerWrite = [&](std::uint8_t data, int reads) {
    trace.Write(kBase, data);
    trace.Write(kBase + 2, 0x0C);  // register 6, strobe low
    trace.Read(kBase + 1);
    if (reads == 3) trace.Read(kBase + 1), trace.Read(kBase + 1);
    trace.Write(kBase + 2, 0x0D);  // the rising strobe
    trace.Read(kBase + 1);
  };
  registerWrite(0x81, 3);
  clock = 0;
  settings.TimeBaseKorr = 20;
  registerWrite(0x81, 1);
  registerWrite(0x00, 1);
  ASSERT_TRUE(trace.Close());

  const std::string text = testing::ReadFileBytes(dir.File("t.vcd"));
  EXPECT_NE(text.find("$var wire 1 > CLK $end\n$var real 64 ? VCC $end\n"), std::string::npos) << text;
  // D0-D7 !-(, C0-C3 )-, S3-S7 --1, REG1-REG3 2-4, VAL0-VAL7 5-<, WR =.
  ASSERT_NE(text.find("$dumpvars"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.find("$end\n", text.find("$dumpvars")) + 5),
            "1!\n0\"\n0#\n0$\n0%\n0&\n0'\n1(\n0)\n0*\n1+\n1,\n0-\n0.\n0/\n00\n01\n1>\nr5 ?\n"
            "#1\n11\n"                                                           // ready, a microsecond on
            "#5\n1)\n01\n02\n13\n14\n15\n06\n07\n08\n09\n0:\n0;\n1<\n1=\n"  // register 6 took 0x81
            "#10\n0)\n11\n0=\n"                                                  // the same write again
            "#20\n1)\n01\n1=\n0>\nr0 ?\n"  // at its middle of 20 us, the clock sampled low
            "#30\n0!\n0(\n0)\n11\n0=\n"                                          // 0x00 in the third slot
            "#40\n1)\n01\n05\n0<\n1=\n"
            "#50\n0=\n");  // WR ends with the slot
}

}  // namespace
}  // namespace ferolith
