#include "tests/support/ChainFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace ferolith::testing {

void ChainTest::Start(int manufacturer, int device, const std::string& programIni,
                      const std::string& hardwareIni, std::optional<sim::AbsentStatus> programmerAbsent) {
  std::filesystem::copy_file(SourceDir() / "resources" / "ACELIST.CSV", dir_.File("ACELIST.CSV"));
  WriteFileBytes(dir_.File("KALVENOR.INI"),
                 "[Hardware]\nPortAdress=378\n" + hardwareIni + "[Ferolith INI-Section]\nManufIndex=" +
                     std::to_string(manufacturer) + "\nDeviceIndex=" + std::to_string(device) +
                     "\nDataPath=" + dir_.Path().string() + "/\nLastFile=\n" + programIni);
  markers_ = IsolatedMarkers(dir_.File("marks"));
  ProgramOptions options;
  options.workingDirectory = dir_.Path().string();
  options.simulate = true;
  options.simulateAbsentProgrammer = programmerAbsent;
  options.simulateSpeed = speed_;
  options.simulationFile = simulationFile_;
  options.clock = &clock_;
  program_ = std::make_unique<Program>(ui_, view_, manufacturers_, devices_, *markers_, options);
  program_->LoadSettings();
  program_->PrepareHardware();
  program_->FillLists();
}

void ChainTest::TearDown() {
  if (!program_) return;
  if (program_->Simulator() != nullptr) {
    EXPECT_EQ(Programmer().Violations(), std::vector<std::string>{});
  }
  if (program_->SimulatedChip() != nullptr) {
    EXPECT_EQ(Chip().Violations(), std::vector<std::string>{});
  }
}

// Intel HEX written here, record by record, so that the chains need no
// outside tool: 16 bytes a data record, then the end record.
std::string ChainTest::WriteHex(const std::string& name, std::uint32_t address,
                                const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char line[64];
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    const std::size_t count = std::min<std::size_t>(16, bytes.size() - at);
    const auto start = static_cast<unsigned>(address + at);
    unsigned sum = static_cast<unsigned>(count) + (start >> 8) + (start & 0xFF);
    std::snprintf(line, sizeof line, ":%02X%04X00", static_cast<unsigned>(count), start);
    text += line;
    for (std::size_t i = 0; i < count; ++i) {
      std::snprintf(line, sizeof line, "%02X", bytes[at + i]);
      text += line;
      sum += bytes[at + i];
    }
    std::snprintf(line, sizeof line, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    text += line;
  }
  const std::string path = dir_.File(name);
  WriteFileBytes(path, text + ":00000001FF\n");
  return path;
}

std::vector<std::uint8_t> ChainTest::ReadWithSrecCat(const std::string& path, const std::string& type,
                                                     std::uint32_t start, std::uint32_t end) {
  const std::string bin = path + ".back.bin";
  const std::string command = "srec_cat " + path + " " + type + " -fill 0xFF " +
                              std::to_string(start) + " " + std::to_string(end) + " -crop " +
                              std::to_string(start) + " " + std::to_string(end) + " -offset -" +
                              std::to_string(start) + " -o " + bin + " -binary 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const std::string bytes = ReadFileBytes(bin);
  return {bytes.begin(), bytes.end()};
}

void ChainTest::ExpectIdleAndPoweredDown() {
  EXPECT_FALSE(Chip().PoweredUp());
  EXPECT_FALSE(Programmer().Lines().power);
  EXPECT_TRUE(ui_.ControlsEnabled());
  EXPECT_FALSE(ui_.CancelEnabled());
  EXPECT_FALSE(ui_.ActivityShown());
  EXPECT_EQ(ui_.Status(), "Warte auf Eingaben");
  EXPECT_EQ(State().CancelRequested, 0);
  EXPECT_FALSE(P().IsProgrammerBusy());
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
    if (b == 0xFF) b = 0x7E;  // keep every cell visibly programmed
  }
  return bytes;
}

}  // namespace ferolith::testing
