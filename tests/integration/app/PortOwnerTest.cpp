// The program's one port on a real run: the ppdev backend over parallel
// ports in software, each with a virtual programmer behind it. A port
// address changed at start-up or later reaches the new port at the next
// register access; a port that cannot be opened ends in demo mode with one
// message; a port on which nothing answers ends in demo mode after a bounded
// number of status reads, whatever its status lines show.

#include <gtest/gtest.h>

#ifndef __linux__
TEST(PortOwner, RealPortsOverTheLinuxDriver) {
  GTEST_SKIP() << "the parallel ports in software stand behind the Linux ppdev driver";
}
#else
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "config/ChoiceList.h"
#include "platform/DesktopMarkers.h"
#include "tests/support/IsolatedMarkers.h"
#include "sim/VirtualProgrammer.h"
#include "tests/support/FakeParportBus.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

constexpr const char* kNotFound = "Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus.";
constexpr const char* kDemoRefusal = "Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus.";

bool IsTimeoutText(const std::string& text) { return text.rfind("\nTimeout-Fehler bei Datenübertragung !!", 0) == 0; }
bool IsNoAccessText(const std::string& text) {
  return text.rfind("Kein Zugriff auf die parallele Schnittstelle mit der Port-Adresse", 0) == 0;
}

// The preferences dialog: each opening may set the next port address, as
// the user would in "Portadresse".
class PortPreferences : public StartupView {
 public:
  void ShowPreferences() override {
    ++opened;
    if (settings != nullptr && !addresses.empty()) {
      settings->SetPortAdress(addresses.front());
      addresses.erase(addresses.begin());
    }
  }
  Settings* settings = nullptr;
  std::vector<std::int32_t> addresses;
  int opened = 0;
};

class PortOwner : public ::testing::Test {
 protected:
  PortOwner() {
    std::filesystem::copy_file(SourceDir() / "resources" / "ACELIST.CSV", dir_.File("ACELIST.CSV"));
    bus_.AddPort(0x378, at378_);
    bus_.AddPort(0x278, at278_);
    bus_.AddPort(0x3BC, at3BC_);
  }

  void Start(const std::string& port, const std::string& hardwareIni = "") {
    WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nPortAdress=" + port + "\nTimeOut=10000\n" + hardwareIni +
                                                  "[Ferolith INI-Section]\nManufIndex=0\nDeviceIndex=1\n");
    ProgramOptions options;
    options.workingDirectory = dir_.Path().string();
    options.portAccess = bus_.Environment();
    options.portReportAtStartUp = reportAtStartUp_;
    program_ = std::make_unique<Program>(ui_, view_, manufacturers_, devices_, *markers_, options);
    program_->LoadSettings();
    view_.settings = &program_->State().settings;
    program_->PrepareHardware();
    program_->FillLists();
  }

  Program& P() { return *program_; }
  std::string SavedIni() const { return ReadFileBytes(dir_.File("KALVENOR.INI")); }
  int Count(bool (*which)(const std::string&)) const {
    int count = 0;
    for (const std::string& text : ui_.Texts(Kind::Info)) count += which(text) ? 1 : 0;
    return count;
  }

  TempDir dir_;
  FakeParportBus bus_{dir_.File("bus")};
  // The programmer sits on 0x278 and on 0x3BC; the port at 0x378 has
  // nothing on it.
  sim::VirtualProgrammer at378_{0x378};
  sim::VirtualProgrammer at278_{0x278};
  sim::VirtualProgrammer at3BC_{0x3BC};
  ScriptedUi ui_;
  PortPreferences view_;
  MemoryChoiceList manufacturers_;
  MemoryChoiceList devices_;
  std::unique_ptr<DesktopMarkers> markers_ = IsolatedMarkers(dir_.File("marks"));
  std::unique_ptr<Program> program_;
  bool reportAtStartUp_ = false;

  void SetUp() override {
    at378_.SetAbsent(true);
    for (sim::VirtualProgrammer* programmer : {&at378_, &at278_, &at3BC_}) programmer->EnableTrace(true);
  }
  void TearDown() override {
    for (const sim::VirtualProgrammer* programmer : {&at378_, &at278_, &at3BC_}) {
      EXPECT_EQ(programmer->Violations(), std::vector<std::string>{});
    }
  }
};

TEST_F(PortOwner, AnAddressChangedAtStartUpIsUsedByTheNextAttempt) {
  view_.addresses = {0x278};
  Start("378");
  EXPECT_EQ(P().State().DemoMode, 0);
  EXPECT_EQ(view_.opened, 1);
  EXPECT_EQ(bus_.Opened(), (std::vector<std::uint16_t>{0x378, 0x278}));
  EXPECT_EQ(bus_.OpenNow(), std::vector<std::uint16_t>{0x278});
  // One timeout for the empty port, none for the programmer.
  EXPECT_EQ(ui_.Messages().size(), 1u);
  EXPECT_EQ(Count(IsTimeoutText), 1);
  EXPECT_EQ(at278_.Register(12), 0x80);
  EXPECT_EQ(at278_.Register(14), 0x80);
  EXPECT_TRUE(at378_.Trace().size() > 0 && at378_.RegisterLog().empty());
}

TEST_F(PortOwner, AnAddressChangedAfterStartUpReachesTheNextRegisterAccess) {
  Start("278");
  ASSERT_EQ(P().State().DemoMode, 0);
  const std::size_t detected = at278_.RegisterLog().size();

  // "Prefs" with a new address: the old port is released, the new one opened.
  view_.addresses = {0x3BC};
  P().OnPrefs();
  EXPECT_EQ(bus_.OpenNow(), std::vector<std::uint16_t>{0x3BC});
  ui_.AnswerBoxes({Answer::Cancel});  // the socket box, after the safe state
  EXPECT_EQ(P().OnLeertest(), Result::BlankCheckStopped);
  EXPECT_FALSE(at3BC_.RegisterLog().empty());
  EXPECT_EQ(at278_.RegisterLog().size(), detected);

  // Changed without the dialog (as the command line could): the command
  // itself opens the port first.
  P().State().settings.SetPortAdress(0x278);
  ui_.AnswerBoxes({Answer::Cancel});
  EXPECT_EQ(P().OnInitRegister(), Result::SocketCancelled);
  EXPECT_GT(at278_.RegisterLog().size(), detected);
  EXPECT_EQ(bus_.Opened(), (std::vector<std::uint16_t>{0x278, 0x3BC, 0x278}));
  EXPECT_EQ(Count(IsTimeoutText), 0);
  EXPECT_EQ(P().State().DemoMode, 0);
}

TEST_F(PortOwner, APortThatCannotBeOpenedAtStartUpSavesAndEndsInDemoMode) {
  view_.addresses = {0x2BC};  // no parallel port there
  Start("378");
  EXPECT_EQ(P().State().DemoMode, 1);
  EXPECT_EQ(view_.opened, 1);
  EXPECT_EQ(Count(IsNoAccessText), 1);
  EXPECT_EQ(Count([](const std::string& text) { return text == kNotFound; }), 0);
  EXPECT_TRUE(bus_.OpenNow().empty()) << "demo mode holds no port";
  EXPECT_NE(SavedIni().find("PortAdress=2bc"), std::string::npos) << SavedIni();

  ui_.Clear();
  EXPECT_EQ(P().OnLeertest(), Result::ProgrammerNotFound);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{kDemoRefusal});
  EXPECT_EQ(bus_.Opened(), (std::vector<std::uint16_t>{0x378}));
}

TEST_F(PortOwner, APortThatCannotBeOpenedLaterIsExplainedOnceAndEndsInDemoMode) {
  Start("278");
  ASSERT_EQ(P().State().DemoMode, 0);
  view_.addresses = {0x2BC};
  P().OnPrefs();
  EXPECT_EQ(P().State().DemoMode, 1);
  EXPECT_TRUE(bus_.OpenNow().empty());
  EXPECT_EQ(P().OnBrennen(), Result::ProgrammerNotFound);
  EXPECT_EQ(P().OnLeertest(), Result::ProgrammerNotFound);
  EXPECT_EQ(Count(IsNoAccessText), 1);
  EXPECT_EQ(ui_.Count(Kind::OkCancel), 0);
  // Outside start-up the settings wait for the close as usual.
  EXPECT_NE(SavedIni().find("PortAdress=278"), std::string::npos);
}

TEST_F(PortOwner, NothingAnsweringEndsInDemoModeAfterBoundedReadsWhateverTheStatusShows) {
  // Status lines all high or pulled low: the lone strobe of detection gets
  // no answer. Pulled-up inputs with the inverted BUSY line: it seems to,
  // and the write of register 12 then waits in vain.
  const std::pair<sim::AbsentStatus, std::uint32_t> models[] = {
      {sim::AbsentStatus::High, 0}, {sim::AbsentStatus::BusyInverted, 1}, {sim::AbsentStatus::Low, 0}};
  for (const auto& [model, extraRead] : models) {
    SCOPED_TRACE(static_cast<int>(model));
    ui_.Clear();
    view_.opened = 0;
    at378_ = sim::VirtualProgrammer(0x378);
    at378_.SetAbsentStatus(model);
    at378_.SetAbsent(true);
    Start("378", "SearchHardware=3\n");
    EXPECT_EQ(P().State().DemoMode, 1);
    EXPECT_EQ(view_.opened, 2);
    const std::vector<std::string> infos = ui_.Texts(Kind::Info);
    ASSERT_EQ(infos.size(), 4u);
    for (std::size_t attempt = 0; attempt < 3; ++attempt) EXPECT_TRUE(IsTimeoutText(infos[attempt]));
    EXPECT_EQ(infos[3], kNotFound);
    EXPECT_EQ(at378_.StatusReads(), 3u * (10000u + extraRead));
    EXPECT_TRUE(bus_.OpenNow().empty());
    EXPECT_EQ(P().OnInitRegister(), Result::ProgrammerNotFound);
    EXPECT_EQ(ui_.Texts(Kind::Info).back(), kDemoRefusal);
    EXPECT_EQ(at378_.Violations(), std::vector<std::string>{});
    program_.reset();
  }
}

// The machine's ports as the user meets them: DebugNT shows the probe's
// report at start-up (the desktop program) before the search, which still
// finds the programmer; an address without a port names the ports there are;
// a first start on a machine with one port takes its address.
TEST_F(PortOwner, TheMachinesPortsInTheReportTheAdviceAndTheFirstStart) {
  const std::string dev = dir_.File("bus") + "/dev/parport";
  reportAtStartUp_ = true;
  Start("278", "DebugNT=1\n");
  EXPECT_EQ(P().State().DemoMode, 0);
  const std::vector<std::string> plain = ui_.Texts(Kind::Plain);
  ASSERT_EQ(plain.size(), 2u);
  EXPECT_EQ(plain[0], "Port-Zugriff über ppdev: " + dev + "1");
  EXPECT_EQ(plain[1].rfind("Parallele Schnittstellen dieses Rechners:\n  0x378  " + dev + "0  darf geöffnet werden\n  0x278  " +
                               dev + "1  darf geöffnet werden\n  0x3BC  " + dev + "2  darf geöffnet werden\n"
                               "Port-Adresse 0x278:\n  Zugang: ppdev (" + dev + "1)\n"
                               "Statusbyte vor dem ersten Schreibzugriff: 0x80",
                           0),
            0u)
      << plain[1];
  // The fake bus answers at once, far faster than TimeBaseKorr's 85 us.
  EXPECT_NE(plain[1].find("\nRückschleife über Register 10, geschrieben 0x00 0xAA 0x55:\n  Eingang 0: gelesen 0 0 1, "
                          "soll 0 0 1: folgt\n"),
            std::string::npos)
      << plain[1];
  EXPECT_NE(plain[1].find(" % zu kurz\nErgebnis: Das Programmiergerät antwortet, aber TimeBaseKorr passt nicht"),
            std::string::npos)
      << plain[1];

  ui_.Clear();
  Start("2bc");
  EXPECT_EQ(P().State().DemoMode, 1);
  ASSERT_EQ(Count(IsNoAccessText), 1);
  EXPECT_NE(ui_.Texts(Kind::Info)[0].find("Gefundene Schnittstelle: 0x378 (" + dev + "0)\nGefundene Schnittstelle: 0x278 (" +
                                          dev + "1)\nGefundene Schnittstelle: 0x3BC (" + dev + "2)\n"),
            std::string::npos);

  TempDir single;
  FakeParportBus one(single.File("bus"));
  one.AddPort(0x3BC, at3BC_);
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nTimeOut=10000\n");
  ProgramOptions options;
  options.workingDirectory = dir_.Path().string();
  options.portAccess = one.Environment();
  Program first(ui_, view_, manufacturers_, devices_, *markers_, options);
  first.LoadSettings();
  EXPECT_EQ(first.State().settings.PortAdress, 0x3BC);
}

}  // namespace
}  // namespace ferolith::testing
#endif
