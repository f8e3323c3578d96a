// The desktop program's command line, shared by the Qt and the Win32 skin.

#include <gtest/gtest.h>

#include "app/DesktopCommandLine.h"
#include "core/Utf8Path.h"
#include "tests/support/TempDir.h"

using namespace ferolith;

namespace {

TEST(DesktopCommandLine, SimulateWithAndWithoutFile) {
  std::optional<DesktopStart> start = ParseCommandLine({"ferolith"}, "/home/anna");
  ASSERT_TRUE(start.has_value());
  EXPECT_TRUE(!start->options.simulate);
  EXPECT_TRUE(!start->menu);
  EXPECT_EQ(start->options.workingDirectory, "/home/anna");

  start = ParseCommandLine({"ferolith", "--simulate"}, "/w");
  ASSERT_TRUE(start && start->options.simulate && start->options.simulationFile.empty());

  start = ParseCommandLine({"ferolith", "--simulate=chip.bin"}, "/w");
  ASSERT_TRUE(start && start->options.simulate);
  EXPECT_EQ(start->options.simulationFile, "chip.bin");
  EXPECT_TRUE(!start->options.simulateAbsentProgrammer);

  // An absent programmer is simulated, with the port model named.
  start = ParseCommandLine({"ferolith", "--simulate-absent=busy-inverted"}, "/w");
  ASSERT_TRUE(start && start->options.simulate);
  ASSERT_TRUE(start->options.simulateAbsentProgrammer == sim::AbsentStatus::BusyInverted);
  start = ParseCommandLine({"ferolith", "--simulate=chip.bin", "--simulate-absent=low"}, "/w");
  ASSERT_TRUE(start && start->options.simulateAbsentProgrammer == sim::AbsentStatus::Low);
  EXPECT_EQ(start->options.simulationFile, "chip.bin");
  start = ParseCommandLine({"ferolith", "--trace=lauf.vcd"}, "/w");
  ASSERT_TRUE(start && !start->options.simulate && start->options.portReportAtStartUp);
  EXPECT_EQ(start->options.traceFile, "lauf.vcd");
  EXPECT_TRUE(!start->options.simulateSpeed.Paced());

  // A speed simulates at that pace.
  start = ParseCommandLine({"ferolith", "--simulate-speed=real"}, "/w");
  ASSERT_TRUE(start && start->options.simulate);
  EXPECT_EQ(start->options.simulateSpeed.factor, 1.0);
  start = ParseCommandLine({"ferolith", "--simulate=chip.sim", "--simulate-speed=20"}, "/w");
  ASSERT_TRUE(start && start->options.simulate);
  EXPECT_EQ(start->options.simulateSpeed.factor, 20.0);
  EXPECT_EQ(start->options.simulationFile, "chip.sim");

  // A project file, as a file manager names it: a full path, taken
  // relative to the working directory.
  start = ParseCommandLine({"ferolith", "--simulate", "serie/Prüfung.FPROJ"}, "/w");
  ASSERT_TRUE(start && start->options.simulate);
  EXPECT_EQ(PathFromUtf8(start->projectFile), PathFromUtf8("/w/serie/Prüfung.FPROJ").lexically_normal());
  start = ParseCommandLine({"ferolith", "/p/a.fproj"}, "/w");
  ASSERT_TRUE(start);
  EXPECT_EQ(PathFromUtf8(start->projectFile), PathFromUtf8("/p/a.fproj").lexically_normal());
}

// The menu entry's start asks for the program's own folder; the working
// directory given stays until main() replaces it.
TEST(DesktopCommandLine, MenuStartInEitherOrder) {
  std::optional<DesktopStart> start = ParseCommandLine({"ferolith", "--menu"}, "/home/anna");
  ASSERT_TRUE(start && start->menu && !start->options.simulate);
  EXPECT_EQ(start->options.workingDirectory, "/home/anna");
  start = ParseCommandLine({"ferolith", "--simulate=chip.sim", "--menu"}, "/w");
  ASSERT_TRUE(start && start->menu && start->options.simulate);
  EXPECT_EQ(start->options.simulationFile, "chip.sim");
}

TEST(DesktopCommandLine, AnythingElseIsRefused) {
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate="}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulated"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "chip.hex"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", ".fproj"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "a.fproj", "b.fproj"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate", "--brennen"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--menu=xdg"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate-absent=floating"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate-absent"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--trace="}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate-speed=0"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate-speed=langsam"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate-speed"}, "/w"));
}

// --help and --version alone; beside other options they are refused.
TEST(DesktopCommandLine, HelpAndVersionAreAskedAlone) {
  std::optional<DesktopStart> start = ParseCommandLine({"ferolith", "--help"}, "/w");
  ASSERT_TRUE(start && start->request == DesktopStart::Request::Help);
  start = ParseCommandLine({"ferolith", "--version"}, "/w");
  ASSERT_TRUE(start && start->request == DesktopStart::Request::Version);
  start = ParseCommandLine({"ferolith", "--simulate"}, "/w");
  ASSERT_TRUE(start && start->request == DesktopStart::Request::Run);
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--help", "--simulate"}, "/w"));
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate", "--version"}, "/w"));
}

// A file of --simulate that exists and is not a simulation file would be
// replaced by the virtual chip: the start is refused with the reason.
TEST(DesktopCommandLine, AnExistingFileThatIsNoSimulationFileIsRefused) {
  ferolith::testing::TempDir dir;
  const std::string hex = dir.File("fw.hex");
  const std::string sim = dir.File("chip.sim");
  ferolith::testing::WriteFileBytes(hex, ":00000001FF\n");
  ferolith::testing::WriteFileBytes(sim, "ACE-CHIP 1\nINITREG1 00\n");
  std::string refusal;
  EXPECT_FALSE(ParseCommandLine({"ferolith", "--simulate=" + hex}, "/w", &refusal));
  EXPECT_EQ(refusal, "'" + hex +
                         "' ist keine Simulationsdatei (ihre erste Zeile ist nicht \"ACE-CHIP 1\") und wird nicht "
                         "überschrieben");
  refusal.clear();
  const std::optional<DesktopStart> start = ParseCommandLine({"ferolith", "--simulate=" + sim}, "/w", &refusal);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->options.simulationFile, sim);
  EXPECT_TRUE(refusal.empty());
}

// --version names the licence after the version.
TEST(DesktopCommandLine, VersionNamesTheLicence) {
  EXPECT_TRUE(VersionText().starts_with(std::string("ferolith ") + FEROLITH_VERSION + "\nLizenz: GPL-3.0-or-later"))
      << VersionText();
}

}  // namespace
