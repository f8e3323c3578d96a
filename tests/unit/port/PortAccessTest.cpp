#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "port/OsIdentity.h"
#include "port/PortAccess.h"
#include "port/StandardIoMap.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"
#include "tests/unit/port/FakePpdev.h"

namespace ferolith {
namespace {

using testing::ScriptedUi;
using testing::TempDir;

const PortBackend& Backend(const std::string& id) {
  const auto backends = PortBackends();
  const auto it = std::find_if(backends.begin(), backends.end(),
                               [&](const PortBackend& b) { return b.id == id; });
  EXPECT_NE(it, backends.end());
  return *it;
}

struct AccessRig {
  static constexpr std::uint16_t kBase = 0x278;
  TempDir root;
  sim::VirtualProgrammer programmer{kBase};
  testing::FakePpdev calls{root.File("dev") + "/parport1", programmer, kBase};
  Settings settings;
  ScriptedUi ui;
  std::vector<PortBackend> backends{Backend("ppdev")};

  AccessRig() { settings.SetPortAdress(kBase); }

  void AddPort(const std::string& name, const std::string& baseAddr) {
    const auto dir = root.Path() / "proc/sys/dev/parport" / name;
    std::filesystem::create_directories(dir);
    testing::WriteFileBytes((dir / "base-addr").string(), baseAddr);
  }

  PortAccess Prepare() {
    return PreparePortAccess(settings, ui, {root.File("proc"), root.File("dev"), &calls, backends});
  }
};

TEST(PortAccess, PpdevIsChosenForTheMatchingPort) {
  AccessRig rig;
  rig.AddPort("parport0", "888\t1912\n");
  rig.AddPort("parport1", "632\t1656\n");
  PortAccess access = rig.Prepare();
  ASSERT_NE(access.opened.port, nullptr);
  EXPECT_EQ(access.opened.backendId, "ppdev");
  EXPECT_EQ(access.opened.device, rig.root.File("dev") + "/parport1");
  EXPECT_FALSE(access.DemoMode());
  EXPECT_EQ(access.osId, 0u);
  EXPECT_TRUE(rig.ui.Events().empty());
  EXPECT_TRUE(rig.calls.Claimed());
  access.opened.port.reset();
  EXPECT_FALSE(rig.calls.Claimed());
}

TEST(PortAccess, DebugNamesTheChosenBackendAndDevice) {
  AccessRig debug;
  debug.AddPort("parport1", "632\n");
  debug.settings.DebugNT = 1;
  const PortAccess access = debug.Prepare();
  EXPECT_EQ(debug.ui.Texts(ScriptedUi::Kind::Plain),
            std::vector<std::string>{"Port-Zugriff über ppdev: " + debug.root.File("dev") + "/parport1"});
}

TEST(PortAccess, NoAccessExplainsWhatToDoAndSwitchesToDemoMode) {
  AccessRig rig;
  rig.AddPort("parport0", "888\n");
  PortAccess access = rig.Prepare();
  EXPECT_EQ(access.opened.port, nullptr);
  EXPECT_TRUE(access.DemoMode());
  const auto texts = rig.ui.Texts(ScriptedUi::Kind::Info);
  ASSERT_EQ(texts.size(), 1u);
  for (const char* hint : {"0x278", "ppdev: keine Schnittstelle", "modprobe parport_pc", "Gruppe 'lp'",
                           "--simulate", "Demo-Modus"}) {
    EXPECT_NE(texts[0].find(hint), std::string::npos) << hint;
  }

}

TEST(PortAccess, ARefusedDeviceIsNamedWithTheReason) {
  AccessRig denied;
  denied.AddPort("parport1", "632\n");
  denied.calls.FailCall(1, EACCES);
  const PortAccess access = denied.Prepare();
  EXPECT_TRUE(access.DemoMode());
  ASSERT_EQ(denied.ui.Texts(ScriptedUi::Kind::Info).size(), 1u);
  EXPECT_NE(denied.ui.Texts(ScriptedUi::Kind::Info)[0].find("Permission denied"), std::string::npos);
}

OpenedPort Refuse(const PortRequest&) { return {nullptr, {}, "refused", false}; }
OpenedPort Grant(const PortRequest& request) {
  return {std::make_unique<sim::VirtualProgrammer>(request.base), "granted", {}, false};
}

TEST(PortAccess, BackendsAreTriedInTableOrder) {
  AccessRig rig;
  rig.backends = {{"first", &Refuse, ""}, {"second", &Grant, ""}, {"third", &Refuse, ""}};
  PortAccess access = rig.Prepare();
  EXPECT_NE(access.opened.port, nullptr);
  EXPECT_EQ(access.opened.backendId, "second");
  EXPECT_FALSE(access.DemoMode());
  // What the probe reports of the way to the port.
  EXPECT_EQ(access.opened.refused, std::vector<std::string>{"first: refused"});
  EXPECT_EQ(access.opened.untried, std::vector<std::string>{"third"});
}

TEST(PortAccess, EveryFailedBackendGivesItsReason) {
  AccessRig none;
  none.backends = {{"first", &Refuse, ""}, {"third", &Refuse, ""}};
  none.Prepare();
  ASSERT_EQ(none.ui.Texts(ScriptedUi::Kind::Info).size(), 1u);
  EXPECT_NE(none.ui.Texts(ScriptedUi::Kind::Info)[0].find("first: refused\nthird: refused\n"),
            std::string::npos);
}

TEST(PortAccess, AnAddressOutsideTheIoSpaceOpensNoPortAtAll) {
  // 0x10278 cut to 16 bits would be the port at 0x278, which the fake tree offers.
  for (const std::int32_t base : {0x10278, -1, 0xFFFE}) {
    AccessRig rig;
    rig.AddPort("parport1", "632\n");
    rig.backends = {Backend("ppdev"), {"grant", &Grant, ""}};
    rig.settings.SetPortAdress(base);
    PortAccess access = rig.Prepare();
    EXPECT_TRUE(access.DemoMode()) << base;
    ASSERT_EQ(rig.ui.Texts(ScriptedUi::Kind::Info).size(), 1u);
    EXPECT_NE(rig.ui.Texts(ScriptedUi::Kind::Info)[0].find("außerhalb des E/A-Adressbereichs"),
              std::string::npos);
  }
  AccessRig highest;
  highest.backends = {{"grant", &Grant, ""}};
  highest.settings.SetPortAdress(0xFFFD);
  EXPECT_FALSE(highest.Prepare().DemoMode());
}

// Raw port I/O (direct port instructions, a port DLL) would pulse whatever
// sits at PortAdress: it refuses the registers of the PC's other devices,
// naming the device, before anything is opened. The parallel ports'
// standard addresses and any port the kernel lists stay allowed.
TEST(PortAccess, RawPortIoRefusesTheRegistersOfOtherDevices) {
  for (const unsigned base : {0x378u, 0x278u, 0x3BCu, 0x100u, 0x300u, 0xD010u}) {
    EXPECT_EQ(ForeignDeviceAt(static_cast<std::uint16_t>(base)), "") << std::hex << base;
  }
  const std::vector<std::pair<std::uint16_t, std::string>> foreign = {
      {0x3F6, "der erste Festplatten-Controller (IDE)"},
      {0x1F0, "der erste Festplatten-Controller (IDE)"},
      {0x176, "der zweite Festplatten-Controller (IDE)"},
      {0x2F8, "die serielle Schnittstelle COM2"},
      {0x3F8, "die serielle Schnittstelle COM1"},
      {0x3E6, "die serielle Schnittstelle COM3"},  // its third register is COM3's first
      {0x3C0, "die Grafikkarte (VGA-, EGA- und CGA-Register)"},
      {0x3BA, "die Grafikkarte (Monochrom-Register)"},
      {0x3F0, "der Disketten-Controller"},
      {0x080, "die Bausteine der Hauptplatine (DMA, Interrupt-Controller, Zeitgeber, Tastatur, Uhr)"},
      {0x0FE, "die Bausteine der Hauptplatine (DMA, Interrupt-Controller, Zeitgeber, Tastatur, Uhr)"},
      {0xCF7, "die PCI-Konfiguration und die Neustart-Steuerung"},
  };
  for (const auto& [base, device] : foreign) EXPECT_EQ(ForeignDeviceAt(base), device) << std::hex << base;

  TempDir root;
  PortRequest request;
  request.base = 0x3F6;
  request.procRoot = root.File("proc");
  int raw = 0;
  for (const PortBackend& backend : PortBackends()) {
    if (std::string(backend.id) == "ppdev") continue;
    ++raw;
    const OpenedPort opened = backend.open(request);
    EXPECT_EQ(opened.port, nullptr) << backend.id;
    EXPECT_EQ(opened.error,
              "an 0x3F6 liegt der erste Festplatten-Controller (IDE), keine parallele Schnittstelle; "
              "dorthin gehen keine direkten Portzugriffe")
        << backend.id;
  }
#if (defined(__linux__) && (defined(__x86_64__) || defined(__i386__))) || defined(_WIN32)
  EXPECT_GT(raw, 0) << "this build has raw port I/O";
#else
  static_cast<void>(raw);
#endif

  // A card that the kernel lists at COM4's address is a parallel port.
  const auto listed = root.Path() / "proc/sys/dev/parport/parport2";
  std::filesystem::create_directories(listed);
  testing::WriteFileBytes((listed / "base-addr").string(), "744\t1768\n");
  EXPECT_EQ(RawPortRefusal(0x2E8, root.File("proc")), "");
  EXPECT_NE(RawPortRefusal(0x2F8, root.File("proc")), "");
}

TEST(PortAccess, TheMachinesPortsAreListedAndNamedWhenTheAddressHasNone) {
  AccessRig rig;
  rig.AddPort("parport0", "888\t1912\n");
  rig.AddPort("parport1", "632\n");
  rig.AddPort("parport2", "no number\n");
  const std::string dev = rig.root.File("dev");
  const std::vector<MachinePort> ports = MachineParallelPorts({rig.root.File("proc"), dev, &rig.calls, {}});
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].base, 0x378u);
  EXPECT_EQ(ports[0].device, dev + "/parport0");
  EXPECT_EQ(ports[0].refusal, "No such file or directory");  // the fake has only parport1
  EXPECT_EQ(ports[1].refusal, "");

  rig.settings.SetPortAdress(0x3BC);
  EXPECT_TRUE(rig.Prepare().DemoMode());
  const std::string text = rig.ui.Texts(ScriptedUi::Kind::Info).at(0);
  EXPECT_NE(text.find("\n\nGefundene Schnittstelle: 0x378 (" + dev + "/parport0)\n"
                      "Gefundene Schnittstelle: 0x278 (" + dev + "/parport1)\n\nSo bekommt"),
            std::string::npos)
      << text;
  // A port at the address itself: only the reason counts.
  EXPECT_EQ(NoPortAccessText(0x378, "ppdev: refused\n", ports).find("Gefundene"), std::string::npos);
}

TEST(PortAccess, APortThatAnotherProgramHoldsIsGivenUpWithoutOtherWaysToIt) {
  // The bounded claim reports EINTR when the holder does not let go.
  AccessRig rig;
  rig.AddPort("parport1", "632\n");
  rig.calls.FailCall(2, EINTR);
  rig.backends = {Backend("ppdev"), {"grant", &Grant, ""}};
  PortAccess access = rig.Prepare();
  EXPECT_TRUE(access.DemoMode());
  EXPECT_EQ(access.opened.untried, std::vector<std::string>{"grant"});
  EXPECT_EQ(access.opened.refused, std::vector<std::string>{"ppdev: " + rig.root.File("dev") +
                                                            "/parport1: belegt, ein anderes Programm benutzt "
                                                            "die Schnittstelle"});
  EXPECT_EQ(rig.calls.OpenDescriptors(), 0);
  const std::string text = rig.ui.Texts(ScriptedUi::Kind::Info).at(0);
  EXPECT_NE(text.find("\nBitte das andere Programm beenden und dieses Programm danach neu starten.\n"),
            std::string::npos);
  EXPECT_EQ(text.find("modprobe"), std::string::npos);
}

TEST(OsIdentity, KnownVersionsAndServicePackNames) {
  const OsIdentity win95 = IdentifyOs(WinPlatform::Windows, 4, 0, " C ");
  EXPECT_EQ(win95.osId, 1u);
  EXPECT_EQ(win95.name, "Microsoft® Windows 95(TM) OSR2");
  EXPECT_EQ(IdentifyOs(WinPlatform::Windows, 4, 0, " B ").name, "Microsoft® Windows 95(TM)  B ");
  EXPECT_EQ(IdentifyOs(WinPlatform::Windows, 4, 10, " A ").name, "Microsoft® Windows 98(TM) Second Edition");
  EXPECT_EQ(IdentifyOs(WinPlatform::Windows, 4, 10, " C ").name, "Microsoft® Windows 98(TM)  C ");
  EXPECT_EQ(IdentifyOs(WinPlatform::Windows, 4, 90, "").osId, 3u);
  EXPECT_EQ(IdentifyOs(WinPlatform::Nt, 3, 51, "").osId, 4u);
  EXPECT_EQ(IdentifyOs(WinPlatform::Nt, 4, 0, "Service Pack 6").name,
            "Microsoft® Windows NT4.00(TM) Service Pack 6");
  EXPECT_EQ(IdentifyOs(WinPlatform::Nt, 5, 0, "").osId, 6u);
  EXPECT_EQ(IdentifyOs(WinPlatform::Nt, 5, 1, "Service Pack 2").name, "Microsoft® Windows XP(TM) Service Pack 2");
  EXPECT_EQ(IdentifyOs(WinPlatform::Nt, 5, 2, "").osId, 8u);
  // Platform and version must both match.
  EXPECT_EQ(IdentifyOs(WinPlatform::Windows, 4, 0, "").osId, 1u);
  EXPECT_EQ(IdentifyOs(WinPlatform::Nt, 4, 10, "").osId, 0u);
  const OsIdentity vista = IdentifyOs(WinPlatform::Nt, 6, 0, "Service Pack 1");
  EXPECT_EQ(vista.osId, 0u);
  EXPECT_EQ(vista.name, "");
  EXPECT_EQ(IdentifyOs(3, 5, 1, "").osId, 0u);
}

TEST(OsIdentity, DriverPathAndStartType) {
  EXPECT_EQ(DriverPathIn("C:\\Programme\\Ferolith").path, "C:\\Programme\\Ferolith\\giveio.sys");
  EXPECT_EQ(DriverPathIn("C:\\").path, "C:\\\\giveio.sys");
  EXPECT_EQ(DriverPathIn("C:\\").serviceName, "giveio");
  EXPECT_FALSE(DriverStartsWithSystem(0));
  EXPECT_FALSE(DriverStartsWithSystem(6));
  EXPECT_TRUE(DriverStartsWithSystem(7));
  EXPECT_TRUE(DriverStartsWithSystem(8));
}

// The driver path is counted as the wide-character calls count it: "ü" is
// two bytes but one unit, a character beyond the 16-bit plane two units. A
// path one unit too long is refused with its length, not cut.
TEST(OsIdentity, ADriverPathThatDoesNotFitIsRefusedNotCut) {
  EXPECT_EQ(Utf16Length("C:\\Prüfstand\\giveio.sys"), 23u);
  EXPECT_EQ(Utf16Length("C:\\\xF0\x9F\x94\xA7\\giveio.sys"), 16u);
  const std::string folder = "C:\\" + std::string(kLongestDriverPath - 14, 'a');
  EXPECT_EQ(Utf16Length(DriverPathIn(folder).path), kLongestDriverPath);
  const std::string tooLong = DriverPathIn(folder + "\xC3\xBC").path;
  ASSERT_EQ(Utf16Length(tooLong), kLongestDriverPath + 1);
  const std::string text = DriverPathTooLongText(tooLong);
  EXPECT_NE(text.find("\n" + tooLong + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("260 Zeichen, Windows erlaubt hier höchstens 259"), std::string::npos) << text;
  EXPECT_NE(text.find("Demo-Modus"), std::string::npos) << text;
}

}  // namespace
}  // namespace ferolith
