// The port backends and ferolith-cli against the real Linux parallel-port
// drivers (parport, parport_pc, ppdev) of Debian's kernel, on the parallel
// ports that QEMU emulates. scripts/test-kernel.sh boots the machine once;
// its /init (tests/kernel/init.sh) runs one test suite of this program per
// phase, each with the rights and the drivers that the phase names:
//
//   RootWithoutPpdev  root, parport modules not loaded yet
//   RootThroughSudo   root as sudo leaves it for the user tester (SUDO_UID and
//                     SUDO_GID 1000), parport modules not loaded yet
//   RootWithPpdev     root, parport0 at 0x278 and parport1 at 0x378
//   UserWithoutLp     an ordinary user; the nodes are root:lp 0660, as udev makes them
//   UserInLp          an ordinary user in group lp
//
// After power-off the host runs suite PortFiles on the files that took the
// output of the two emulated ports. A further check of the kernel goes into
// the suite of the phase whose rights and drivers it needs; a command of
// ferolith-cli is run there with RunCli() like "detect" and "probe" below
// (RootWithPpdev also holds the port itself while ferolith-cli tries to
// claim it, the two-process case). A new suite
// needs its phase in init.sh: the script fails every suite that did not run.
//
// What the emulated port does (and so what can be proved here): with nothing
// attached its status reads 0xD8; a control byte without INIT (0x04) sets the
// status back to 0xD8 (busy line high), and a rising strobe while INIT and
// SELECT (0x08) are both set clears it and emits the data byte into the output
// file. Registers 12 (control 0x0C) and 14 (0x0E) therefore complete the whole
// handshake and arrive byte for byte; a register without INIT in its number,
// such as 8, never sees the busy line fall and must time out.

#include <gtest/gtest.h>

#include <grp.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "platform/Privileges.h"
#include "port/ParportLocator.h"
#include "port/PortBackends.h"
#include "port/PosixCalls.h"
#include "port/PpdevPort.h"
#include "link/RegisterLink.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ReadFileBytes;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr std::uint16_t kBase = 0x378;
const std::string kNode = "/dev/parport1";  // parport_pc io=0x278,0x378: the second port
const std::string kProcPorts = "/proc/sys/dev/parport/";

// One register write of a sequence.
struct Write {
  int reg;
  std::uint8_t value;
};

// The writes of each phase, distinct so that the output file shows which
// phase's bytes arrived and in which order. Newline, carriage return, NUL and
// 0xFF make sure nothing on the way treats the bytes as text.
const std::vector<Write> kRootDirectWrites = {
    {Reg::R12, 0x80}, {Reg::R14, 0x80}, {Reg::R12, 0x00}, {Reg::R14, 0xFF}, {Reg::R12, 0x0A}};
const std::vector<Write> kSudoDirectWrites = {{Reg::R14, 0x5D}, {Reg::R12, 0x0D}, {Reg::R14, 0xD5}};
const std::vector<Write> kRootPpdevWrites = {
    {Reg::R12, 0x5A}, {Reg::R14, 0xA5}, {Reg::R14, 0x0D}, {Reg::R12, 0x1A}, {Reg::R12, 0x01}};
const std::vector<Write> kLpUserWrites = {{Reg::R14, 0x4C}, {Reg::R12, 0x50}, {Reg::R14, 0x00}};

std::string BytesOf(const std::vector<Write>& writes) {
  std::string bytes;
  for (const Write& w : writes) bytes.push_back(static_cast<char>(w.value));
  return bytes;
}

const PortBackend& Backend(const std::string& id) {
  const auto backends = PortBackends();
  const auto it = std::find_if(backends.begin(), backends.end(),
                               [&](const PortBackend& b) { return b.id == id; });
  if (it == backends.end()) std::abort();
  return *it;
}

OpenedPort OpenThrough(const std::string& backendId) {
  PortRequest request;
  request.base = kBase;
  return Backend(backendId).open(request);
}

Settings LinkSettings(std::uint32_t timeOut) {
  Settings settings;
  settings.SetPortAdress(kBase);
  settings.TimeOut = timeOut;
  return settings;
}

// Writes `writes` through the register link: each completes its handshake,
// and the status byte that ends it is the idle status with only the busy line
// fallen, as the port shows it (no bit inverted or masked on the way). Then a
// write to register 8, whose control byte lacks INIT, must time out and send
// nothing.
void ExpectWritesHandedOver(PortIo& port, const std::vector<Write>& writes) {
  ScriptedUi ui;
  const Settings settings = LinkSettings(2000);
  const std::uint8_t idle = port.Read(settings.StatusPort);
  ASSERT_EQ(idle & 0xF8, 0xD8) << "not the idle status of the emulated port";
  RegisterLink link(port, ui, settings);
  for (const Write& w : writes) {
    SCOPED_TRACE(::testing::Message() << "register " << w.reg << " value " << int{w.value});
    EXPECT_EQ(link.WriteRegister(w.reg, w.value), Result::Ok);
    EXPECT_EQ(link.LastStatus(), idle & 0x7F);
    EXPECT_EQ(link.ControlByte(), (w.reg & 0x0E) | 0x01);
  }
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(link.WriteRegister(Reg::R8, 0xEE), Result::HandshakeTimeout);
  EXPECT_EQ(ui.Texts(ScriptedUi::Kind::Info).size(), 1u);
}

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the real ferolith-cli (FEROLITH_CLI) on the port at 0x378 in a fresh
// working directory with the sample device library. DebugNT names the chosen
// backend; the shortest TimeOut keeps the failing detections short.
constexpr const char* kIni = "[Hardware]\nPortAdress=378\nDebugNT=1\nTimeOut=10000\nMessageBeap=0\n";

// `owner` (a user id) is given the folder and its files first, as a user's
// own folder; `look` sees the folder after the run.
CliRun RunCli(const std::string& arguments, const std::string& ini = kIni, int owner = -1,
              const std::function<void(const TempDir&)>& look = {}) {
  const char* cli = std::getenv("FEROLITH_CLI");
  if (cli == nullptr) {
    ADD_FAILURE() << "FEROLITH_CLI is not set";
    return {-1, "", ""};
  }
  TempDir dir;
  std::filesystem::copy_file(testing::SourceDir() / "resources" / "ACELIST.CSV",
                             dir.File("ACELIST.CSV"));
  WriteFileBytes(dir.File("KALVENOR.INI"), ini);
  if (owner >= 0) {
    for (const std::string& path : {dir.Path().string(), dir.File("ACELIST.CSV"), dir.File("KALVENOR.INI")}) {
      EXPECT_EQ(chown(path.c_str(), static_cast<uid_t>(owner), static_cast<gid_t>(owner)), 0) << path;
    }
  }
  const std::string command = "cd " + dir.Path().string() + " && XDG_RUNTIME_DIR=" +
                              dir.Path().string() + " " + cli + " " + arguments +
                              " >out.txt 2>err.txt </dev/null";
  const int raw = std::system(command.c_str());
  if (look) look(dir);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir.File("out.txt")),
          ReadFileBytes(dir.File("err.txt"))};
}

// The console form of the messages that a failed detection shows.
const std::string kTimeoutMessage =
    "Meldung: Timeout-Fehler bei Datenübertragung !!\n"
    "         Mögliche Fehler:\n"
    "         Brenner nicht eingeschaltet.\n"
    "         Brenner an der falschen Schnittstelle oder\n"
    "         gar nicht angeschlossen.\n"
    "         Falsche Port-Adresse in den PREFS.\n"
    "         Kabel defekt oder viel zu lang.\n"
    "         Ein Druckerumschalter falsch geschaltet ?\n"
    "         Baustein im Sockel vergessen !!\n";
const std::string kDemoMessage =
    "Meldung: Kann Hardware nicht finden !\n"
    "         Programm geht in den Demomodus.\n";

// The emulated port never lowers its busy line after detection's first
// strobe (its control byte has no INIT): both attempts time out, then demo mode.
// `warning` follows the choice (the one of root without sudo).
void ExpectDetectEndsInDemoModeThrough(const std::string& chosen, const std::string& warning = "") {
  const CliRun run = RunCli("detect");
  EXPECT_EQ(run.status, ResultNumber(Result::ProgrammerNotFound));
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Meldung: Port-Zugriff über " + chosen + "\n" + warning + kTimeoutMessage +
                         kTimeoutMessage + kDemoMessage);
}

const std::string kRootOwnsFilesMessage =
    "Meldung: Achtung: Das Programm läuft als root, ohne dass SUDO_UID und SUDO_GID einen Benutzer nennen.\n"
    "         Alle Dateien, die es anlegt oder schreibt (KALVENOR.INI, Auslesedateien, Protokolle,\n"
    "         Ablaufdateien), gehören root. Besser mit sudo als der eigene Benutzer starten.\n";

// The owner of `path` (-1 when it cannot be examined).
long OwnerOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_uid) : -1L;
}

// Whether the calling process belongs to group `gid`.
bool InGroup(gid_t gid) {
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
  if (getgroups(static_cast<int>(groups.size()), groups.data()) < 0) groups.clear();
  groups.push_back(getegid());
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// What the user phases stand on: an ordinary user, the node as udev sets it
// up (root:lp, mode 0660), and the caller in group lp or not.
void ExpectOrdinaryUser(bool inLp) {
  ASSERT_NE(geteuid(), 0u);
  struct stat node {};
  ASSERT_EQ(stat(kNode.c_str(), &node), 0);
  const group* lp = getgrnam("lp");
  ASSERT_NE(lp, nullptr);
  ASSERT_EQ(node.st_uid, 0u);
  ASSERT_EQ(node.st_gid, lp->gr_gid);
  ASSERT_EQ(node.st_mode & 07777, 0660u);
  ASSERT_EQ(InGroup(lp->gr_gid), inLp);
}

// ---------------------------------------------------------------------------

TEST(RootWithoutPpdev, DirectIoIsChosenAndItsRegisterWritesGoOut) {
  ASSERT_EQ(geteuid(), 0u);
  ASSERT_FALSE(std::filesystem::exists(kProcPorts)) << "the parport modules are already loaded";

  std::vector<std::string> order;
  for (const PortBackend& backend : PortBackends()) order.emplace_back(backend.id);
  EXPECT_EQ(order, (std::vector<std::string>{"ppdev", "direct"}));

  const OpenedPort ppdev = OpenThrough("ppdev");
  EXPECT_EQ(ppdev.port, nullptr);
  EXPECT_EQ(ppdev.error, "keine Schnittstelle mit Basisadresse 0x378 (parport_pc geladen?)");

  const OpenedPort direct = OpenThrough("direct");
  ASSERT_NE(direct.port, nullptr) << direct.error;
  EXPECT_EQ(direct.device, "ioperm");
  ExpectWritesHandedOver(*direct.port, kRootDirectWrites);
}

TEST(RootWithoutPpdev, DetectFallsBackToDirectIoAndEndsInDemoMode) {
  ExpectDetectEndsInDemoModeThrough("direct: ioperm", kRootOwnsFilesMessage);
}

// Root's direct I/O at a serial port's address would pulse its registers;
// it is refused with the device's name, and nothing goes out there.
TEST(RootWithoutPpdev, DirectIoRefusesTheRegistersOfASerialPort) {
  const CliRun run = RunCli("detect", "[Hardware]\nPortAdress=3f8\nTimeOut=10000\n");
  EXPECT_EQ(run.status, ResultNumber(Result::ProgrammerNotFound));
  EXPECT_NE(run.err.find("         direct: an 0x3F8 liegt die serielle Schnittstelle COM1, keine parallele "
                         "Schnittstelle; dorthin gehen keine direkten Portzugriffe\n"),
            std::string::npos)
      << run.err;
}

// ---------------------------------------------------------------------------
// Started through sudo by the user tester: every file the program makes is
// the user's, and the port that root opened still carries its writes.

TEST(RootThroughSudo, TheCliWritesItsFilesAsTheUserAndStillDrivesThePort) {
  ASSERT_EQ(geteuid(), 0u);
  ASSERT_STREQ(std::getenv("SUDO_UID"), "1000");
  long trace = -2;
  long marks = -2;
  const CliRun run = RunCli("--trace=run.vcd detect", kIni, 1000, [&](const TempDir& dir) {
    trace = OwnerOf(dir.File("run.vcd"));
    marks = OwnerOf(dir.File("kalvenor"));
  });
  // The detection ran on the real port after the drop: both attempts time
  // out on the emulated port, then demo mode (a port access without ioperm's
  // permission would have ended the program).
  EXPECT_EQ(run.status, ResultNumber(Result::ProgrammerNotFound));
  EXPECT_EQ(run.err, "Meldung: Port-Zugriff über direct: ioperm\n" + kTimeoutMessage + kTimeoutMessage + kDemoMessage);
  EXPECT_EQ(trace, 1000);
  EXPECT_EQ(marks, 1000);
}

// Last in its phase: this process gives up root for good.
TEST(RootThroughSudo, AfterTheDropTheRegisterWritesStillGoOut) {
  TempDir dir;
  ASSERT_EQ(chown(dir.Path().c_str(), 1000, 1000), 0);
  const auto privileges = TakePrivilegesAtStart();
  ASSERT_TRUE(privileges->ActsForSudoUser()) << privileges->Problem();
  EXPECT_EQ(geteuid(), 1000u);
  OpenedPort direct;
  privileges->OpenPortThenDropRoot([&] { direct = OpenThrough("direct"); });
  ASSERT_NE(direct.port, nullptr) << direct.error;
  EXPECT_EQ(getuid(), 1000u);
  EXPECT_EQ(geteuid(), 1000u);
  EXPECT_EQ(getgid(), 1000u);
  EXPECT_NE(seteuid(0), 0) << "root could be taken back";
  ExpectWritesHandedOver(*direct.port, kSudoDirectWrites);
  WriteFileBytes(dir.File("after.txt"), "x");
  EXPECT_EQ(OwnerOf(dir.File("after.txt")), 1000);
}

// ---------------------------------------------------------------------------

TEST(RootWithPpdev, ProcListsBothPortsAndTheNodeFollowsTheAddress) {
  // Numbered against their address order: parport0 is the port at 0x278.
  EXPECT_EQ(ReadFileBytes(kProcPorts + "parport0/base-addr"), "632\t1656\n");
  EXPECT_EQ(ReadFileBytes(kProcPorts + "parport1/base-addr"), "888\t1912\n");
  EXPECT_EQ(FindParportDevice(0x378), std::optional<std::string>("/dev/parport1"));
  EXPECT_EQ(FindParportDevice(0x278), std::optional<std::string>("/dev/parport0"));
  EXPECT_EQ(FindParportDevice(0x3BC), std::nullopt);
  EXPECT_TRUE(IsExistingParallelPort(0x378));
  EXPECT_FALSE(IsExistingParallelPort(0x3BC));

  // ppdev's minor number is the port number.
  for (unsigned n : {0u, 1u}) {
    struct stat node {};
    ASSERT_EQ(stat(("/dev/parport" + std::to_string(n)).c_str(), &node), 0);
    EXPECT_TRUE(S_ISCHR(node.st_mode));
    EXPECT_EQ(major(node.st_rdev), 99u);
    EXPECT_EQ(minor(node.st_rdev), n);
  }
}

// The real system calls; after the claim and after the release it notes
// which device the kernel names as the active user of each port.
class ClaimWatch final : public PosixCalls {
 public:
  struct Seen {
    unsigned long request;
    std::string parport0;
    std::string parport1;
  };

  int Open(const char* path, int flags) override { return SystemPosixCalls().Open(path, flags); }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    const int result = SystemPosixCalls().Ioctl(fd, request, argument);
    if (request == PPCLAIM || request == PPRELEASE) {
      seen.push_back({request, ReadFileBytes(kProcPorts + "parport0/devices/active"),
                      ReadFileBytes(kProcPorts + "parport1/devices/active")});
    }
    return result;
  }
  int MayReadWrite(const char* path) override { return SystemPosixCalls().MayReadWrite(path); }
  int Close(int fd) override {
    closes++;
    return SystemPosixCalls().Close(fd);
  }

  std::vector<Seen> seen;
  int closes = 0;
};

TEST(RootWithPpdev, ClaimAndReleaseShowInTheKernelsPortState) {
  ClaimWatch watch;
  std::string error;
  auto port = PpdevPort::Open(kNode, kBase, watch, error);
  ASSERT_NE(port, nullptr) << error;
  ASSERT_EQ(watch.seen.size(), 1u);
  EXPECT_EQ(watch.seen[0].request, static_cast<unsigned long>(PPCLAIM));
  EXPECT_EQ(watch.seen[0].parport1, "ppdev1\n");
  EXPECT_EQ(watch.seen[0].parport0, "none\n");

  port.reset();
  ASSERT_EQ(watch.seen.size(), 2u);
  EXPECT_EQ(watch.seen[1].request, static_cast<unsigned long>(PPRELEASE));
  EXPECT_EQ(watch.seen[1].parport1, "none\n");
  EXPECT_EQ(watch.closes, 1);
}

TEST(RootWithPpdev, DataStatusAndControlIoctlsReachThePort) {
  std::string error;
  auto port = PpdevPort::Open(kNode, kBase, SystemPosixCalls(), error);
  ASSERT_NE(port, nullptr) << error;

  // The data register reads back what was written while the port drives it.
  for (const std::uint8_t value : {std::uint8_t{0x5A}, std::uint8_t{0xA5}, std::uint8_t{0x00}}) {
    port->Write(kBase, value);
    EXPECT_EQ(port->Read(kBase), value);
  }
  // Without INIT the emulated port shows its idle status: busy line high.
  port->Write(kBase + 2, 0x00);
  EXPECT_EQ(port->Read(kBase + 1), 0xD8);
  EXPECT_EQ(port->Read(kBase + 2), 0x00);
  // INIT and SELECT without a strobe hand nothing over.
  port->Write(kBase + 2, 0x0C);
  EXPECT_EQ(port->Read(kBase + 2), 0x0C);
  EXPECT_EQ(port->Read(kBase + 1), 0xD8);
  EXPECT_EQ(port->LastError(), 0);
}

TEST(RootWithPpdev, PpdevIsChosenForTheNodeOf0x378AndItsRegisterWritesGoOut) {
  const OpenedPort ppdev = OpenThrough("ppdev");
  ASSERT_NE(ppdev.port, nullptr) << ppdev.error;
  EXPECT_EQ(ppdev.device, kNode);
  ExpectWritesHandedOver(*ppdev.port, kRootPpdevWrites);
  EXPECT_EQ(static_cast<PpdevPort&>(*ppdev.port).LastError(), 0);
}

TEST(RootWithPpdev, DetectUsesPpdevAndEndsInDemoMode) {
  ExpectDetectEndsInDemoModeThrough("ppdev: " + kNode);
}

// The emulated port's busy line stays high without INIT, so the lone strobe
// of detection is never answered: no handshake, status 10.
TEST(RootWithPpdev, ProbeListsBothPortsChoosesPpdevAndFindsNoHandshake) {
  const CliRun run = RunCli("probe");
  EXPECT_EQ(run.status, 10);
  EXPECT_EQ(run.err, "Meldung: Port-Zugriff über ppdev: " + kNode + "\n");
  EXPECT_EQ(run.out,
            "Parallele Schnittstellen dieses Rechners:\n"
            "  0x278  /dev/parport0  darf geöffnet werden\n"
            "  0x378  /dev/parport1  darf geöffnet werden\n"
            "Port-Adresse 0x378:\n"
            "  Zugang: ppdev (/dev/parport1)\n"
            "  nicht versucht: direct\n"
            "Statusbyte vor dem ersten Schreibzugriff: 0xD8 (Bits 7..0: 1101 1000)\n"
            "Einzelner Strobe der Suche: keine Antwort nach 10000 Statuslesungen (TimeOut)\n"
            "Ergebnis: Kein Handshake. Programmiergerät eingeschaltet, Kabel und Port-Adresse richtig?\n");
}

// Two processes: while this one holds the port, the claim of ferolith-cli is
// given up after a second instead of waiting for it, and direct I/O is not
// tried behind the holder's back.
TEST(RootWithPpdev, APortThatAnotherProgramHoldsIsReportedBusy) {
  std::string error;
  auto held = PpdevPort::Open(kNode, kBase, SystemPosixCalls(), error);
  ASSERT_NE(held, nullptr) << error;
  const CliRun run = RunCli("detect");
  EXPECT_EQ(run.status, ResultNumber(Result::ProgrammerNotFound));
  EXPECT_EQ(run.err,
            "Meldung: Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse 0x378.\n"
            "         ppdev: /dev/parport1: belegt, ein anderes Programm benutzt die Schnittstelle\n"
            "         Bitte das andere Programm beenden und dieses Programm danach neu starten.\n"
            "         Das Programm läuft jetzt im Demo-Modus.\n");
  EXPECT_EQ(ReadFileBytes(kProcPorts + "parport1/devices/active"), "ppdev1\n");
  held.reset();
  EXPECT_EQ(ReadFileBytes(kProcPorts + "parport1/devices/active"), "none\n");
}

// ---------------------------------------------------------------------------

TEST(UserWithoutLp, BothBackendsAreRefusedWithTheirReasons) {
  ASSERT_NO_FATAL_FAILURE(ExpectOrdinaryUser(false));

  const OpenedPort ppdev = OpenThrough("ppdev");
  EXPECT_EQ(ppdev.port, nullptr);
  EXPECT_EQ(ppdev.error, kNode + ": Permission denied");
  const OpenedPort direct = OpenThrough("direct");
  EXPECT_EQ(direct.port, nullptr);
  EXPECT_EQ(direct.error, "ioperm 0x378: Operation not permitted");
}

TEST(UserWithoutLp, DetectSaysWhatToDoAndEndsInDemoMode) {
  const CliRun run = RunCli("detect");
  EXPECT_EQ(run.status, ResultNumber(Result::ProgrammerNotFound));
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Meldung: Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse 0x378.\n"
            "         ppdev: /dev/parport1: Permission denied\n"
            "         direct: ioperm 0x378: Operation not permitted\n"
            "         So bekommt das Programm Zugriff:\n"
            "         - das Kernelmodul laden: sudo modprobe parport_pc\n"
            "         - den Benutzer in die Gruppe 'lp' aufnehmen: sudo usermod -aG lp <Benutzer>\n"
            "           (danach neu anmelden)\n"
            "         - oder das Programm mit --simulate (virtueller Brenner) starten.\n"
            "         Das Programm läuft jetzt im Demo-Modus.\n");
}

TEST(UserWithoutLp, ProbeShowsWhyNeitherPortNorWayMayBeUsed) {
  const CliRun run = RunCli("probe");
  EXPECT_EQ(run.status, 69);
  EXPECT_EQ(run.out,
            "Parallele Schnittstellen dieses Rechners:\n"
            "  0x278  /dev/parport0  kein Zugriff: Permission denied\n"
            "  0x378  /dev/parport1  kein Zugriff: Permission denied\n"
            "Port-Adresse 0x378:\n"
            "  Zugang: keiner\n"
            "  abgelehnt: ppdev: /dev/parport1: Permission denied\n"
            "  abgelehnt: direct: ioperm 0x378: Operation not permitted\n"
            "Ergebnis: Kein Zugang zur Schnittstelle.\n");
  EXPECT_EQ(run.err.rfind("Meldung: Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse 0x378.\n", 0),
            0u);
}

TEST(UserWithoutLp, AnAddressWithoutAPortNamesThePortsThereAre) {
  const CliRun run = RunCli("detect", "[Hardware]\nPortAdress=3bc\nTimeOut=10000\n");
  EXPECT_EQ(run.status, ResultNumber(Result::ProgrammerNotFound));
  EXPECT_NE(run.err.find("         ppdev: keine Schnittstelle mit Basisadresse 0x3BC (parport_pc geladen?)\n"
                         "         direct: ioperm 0x3BC: Operation not permitted\n"
                         "         Gefundene Schnittstelle: 0x278 (/dev/parport0)\n"
                         "         Gefundene Schnittstelle: 0x378 (/dev/parport1)\n"
                         "         So bekommt das Programm Zugriff:\n"),
            std::string::npos)
      << run.err;
}

// ---------------------------------------------------------------------------

TEST(UserInLp, PpdevOpensThroughTheGroupAndItsRegisterWritesGoOut) {
  ASSERT_NO_FATAL_FAILURE(ExpectOrdinaryUser(true));

  const OpenedPort ppdev = OpenThrough("ppdev");
  ASSERT_NE(ppdev.port, nullptr) << ppdev.error;
  EXPECT_EQ(ppdev.device, kNode);
  ExpectWritesHandedOver(*ppdev.port, kLpUserWrites);
  EXPECT_EQ(OpenThrough("direct").error, "ioperm 0x378: Operation not permitted");
}

TEST(UserInLp, DetectUsesPpdevAndEndsInDemoMode) {
  ExpectDetectEndsInDemoModeThrough("ppdev: " + kNode);
}

// ---------------------------------------------------------------------------
// On the host, after power-off: FEROLITH_KERNEL_RUN is the folder with the
// output files of the emulated ports at 0x378 and 0x278.

TEST(PortFiles, OnlyThePortAt0x378CarriesTheHandedOverBytesInOrder) {
  const char* run = std::getenv("FEROLITH_KERNEL_RUN");
  ASSERT_NE(run, nullptr) << "FEROLITH_KERNEL_RUN is not set";
  const std::filesystem::path dir(run);
  ASSERT_TRUE(std::filesystem::exists(dir / "port378.out"));
  ASSERT_TRUE(std::filesystem::exists(dir / "port278.out"));
  EXPECT_EQ(ReadFileBytes((dir / "port378.out").string()),
            BytesOf(kRootDirectWrites) + BytesOf(kSudoDirectWrites) + BytesOf(kRootPpdevWrites) +
                BytesOf(kLpUserWrites));
  EXPECT_EQ(ReadFileBytes((dir / "port278.out").string()), "");
}

}  // namespace
}  // namespace ferolith
