#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "config/ChoiceList.h"
#include "platform/DesktopMarkers.h"
#include "tests/support/IsolatedMarkers.h"
#include "tests/support/ManualClock.h"
#include "sim/VirtualProgrammer.h"
#include "sim/chip/VirtualAceChip.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith::testing {

// A preferences dialog that only counts how often it was opened.
class CountingView : public StartupView {
 public:
  void ShowPreferences() override { ++opened; }
  int opened = 0;
};

// A program on the simulator in a fresh working directory that holds the
// sample device library and a KALVENOR.INI selecting one device.
class ChainTest : public ::testing::Test {
 protected:
  // Whatever the chain did, the virtual programmer and chip recorded no
  // violation of the protocol.
  void TearDown() override;

  // Manufacturer and device index in the sample library; extra lines for
  // the program's section and for section "Hardware" of KALVENOR.INI.
  void Start(int manufacturer, int device, const std::string& programIni = "",
             const std::string& hardwareIni = "",
             std::optional<sim::AbsentStatus> programmerAbsent = std::nullopt);

  Program& P() { return *program_; }
  ProgramState& State() { return program_->State(); }
  sim::VirtualAceChip& Chip() { return *program_->SimulatedChip(); }
  sim::VirtualProgrammer& Programmer() { return *program_->Simulator(); }

  // Writes bytes as an Intel HEX file through srec_cat (the independent
  // peer) at `address`, and returns its path.
  std::string WriteHex(const std::string& name, std::uint32_t address,
                       const std::vector<std::uint8_t>& bytes);
  // Reads `path` (of srec_cat type `type`, such as "-intel") with srec_cat
  // into the bytes of [start, end), blank filled with 0xFF.
  std::vector<std::uint8_t> ReadWithSrecCat(const std::string& path, const std::string& type,
                                            std::uint32_t start, std::uint32_t end);

  // The chip is powered down, the controls are enabled, "Abbrechen" is
  // disabled and the status line reads "Warte auf Eingaben".
  void ExpectIdleAndPoweredDown();

  TempDir dir_;
  // The program's clock: it stands still unless the test moves it or a
  // paced simulator sleeps on it, so no pump comes from the machine's load.
  ManualClock clock_;
  // The simulator's speed and its file (empty: none) for the next Start.
  sim::SimulationSpeed speed_;
  std::string simulationFile_;
  ScriptedUi ui_;
  CountingView view_;
  MemoryChoiceList manufacturers_;
  MemoryChoiceList devices_;
  std::unique_ptr<DesktopMarkers> markers_;
  std::unique_ptr<Program> program_;
};

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed);

}  // namespace ferolith::testing
