#include "tests/integration/app/ChainFixture.h"

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
  markers_ = std::make_unique<LockFileMarkers>(dir_.File("marks"));
  ProgramOptions options;
  options.workingDirectory = dir_.Path().string();
  options.simulate = true;
  options.simulateAbsentProgrammer = programmerAbsent;
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

std::string ChainTest::WriteHex(const std::string& name, std::uint32_t address,
                                const std::vector<std::uint8_t>& bytes) {
  const std::string bin = dir_.File(name + ".src.bin");
  WriteFileBytes(bin, std::string(bytes.begin(), bytes.end()));
  const std::string path = dir_.File(name);
  const std::string command = "srec_cat " + bin + " -binary -offset " + std::to_string(address) +
                              " -o " + path + " -intel -address-length=2 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
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
