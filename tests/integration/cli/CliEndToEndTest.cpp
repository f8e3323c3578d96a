#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace ferolith::testing {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the built ferolith-cli in a working directory that holds the sample
// device library; the virtual chip is kept in chip.sim between runs.
class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(SourceDir() / "resources" / "ACELIST.CSV", dir_.File("ACELIST.CSV"));
  }

  CliRun Cli(const std::string& arguments) {
    // Each test has desktop marks of its own, so that tests running side by
    // side do not see each other's programmer as busy.
    const std::string command = "cd " + dir_.Path().string() + " && XDG_RUNTIME_DIR=" +
                                dir_.Path().string() + " " FEROLITH_CLI_PATH " " + arguments +
                                " >out.txt 2>err.txt </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir_.File("out.txt")),
            ReadFileBytes(dir_.File("err.txt"))};
  }
  // Runs on the simulator with device QM1108-2KE (code 0x0000..0x07FF,
  // data EEPROM 0xF000..0xF03F).
  CliRun Sim(const std::string& arguments) {
    return Cli("-q --simulate=chip.sim --manufacturer 0 --device QM1108-2KE " + arguments);
  }

  void Shell(const std::string& command) {
    const std::string full = "cd " + dir_.Path().string() + " && " + command;
    ASSERT_EQ(std::system(full.c_str()), 0) << full;
  }
  std::string Bytes(const std::string& name) { return ReadFileBytes(dir_.File(name)); }

  TempDir dir_;
};

std::string PatternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 37 + 11) % 251);
  return bytes;
}

TEST_F(CliEndToEnd, ProgramVerifyAndReadInEveryFormatOnTheSimulator) {
  WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x800));
  WriteFileBytes(dir_.File("ee.bin"), PatternBytes(0x40));
  Shell("srec_cat fw.bin -binary -o fw.hex -intel -address-length=2");
  Shell("srec_cat ee.bin -binary -offset 0xF000 -o fw.rex -motorola -address-length=2 "
        "-disable=data-count");

  CliRun blank = Sim("-y blank");
  EXPECT_EQ(blank.status, 0) << blank.err;
  EXPECT_NE(blank.err.find("Meldung: Controller ist gelöscht !"), std::string::npos);

  CliRun program = Sim("-y program fw.hex");
  ASSERT_EQ(program.status, 0) << program.err;
  EXPECT_NE(program.err.find("Meldung: Keine Fehler beim prüfen"), std::string::npos);
  CliRun verify = Sim("-y verify fw.hex");
  EXPECT_EQ(verify.status, 0) << verify.err;
  EXPECT_NE(verify.err.find("Meldung: Keine Fehler beim Prüfen"), std::string::npos);

  const struct {
    const char* format;
    const char* file;
    const char* srecType;
  } formats[] = {{"bin", "out.bin", "-binary"},     {"intel8", "out8.hex", "-intel"},
                 {"intel32", "out32.hex", "-intel"}, {"intelmcs", "outmcs.hex", "-intel"},
                 {"s1", "out.s19", "-motorola"},     {"s2", "out.s28", "-motorola"},
                 {"s3", "out.s37", "-motorola"}};
  for (const auto& f : formats) {
    SCOPED_TRACE(f.format);
    CliRun read = Sim(std::string("-y --format ") + f.format + " read " + f.file);
    ASSERT_EQ(read.status, 0) << read.err;
    Shell(std::string("srec_cat ") + f.file + " " + f.srecType +
          " -fill 0xFF 0 0x800 -crop 0 0x800 -o back.bin -binary");
    EXPECT_EQ(Bytes("back.bin"), Bytes("fw.bin"));
    const std::string companion = std::filesystem::path(f.file).stem().string() + ".rex";
    Shell("srec_cat " + companion + " " + f.srecType +
          " -crop 0xF000 0xF040 -offset -0xF000 -o backee.bin -binary");
    EXPECT_EQ(Bytes("backee.bin"), Bytes("ee.bin"));
  }

  CliRun after = Sim("-y blank");
  EXPECT_EQ(after.status, 5);  // the first non-blank cell is answered with Cancel
  EXPECT_NE(after.err.find("Meldung: CodeSpeicher an Adresse 0x0000 ist nicht leer !"),
            std::string::npos);
  CliRun retried = Sim("-y --on-error retry blank");
  EXPECT_EQ(retried.status, 4);
}

TEST_F(CliEndToEnd, BadBurnFilesEndWithStatusThreeAndTheirMessage) {
  WriteFileBytes(dir_.File("bad.hex"), ":0300300002337A1F\r\n:00000001FF\r\n");
  CliRun checksum = Sim("-y program bad.hex");
  EXPECT_EQ(checksum.status, 3);
  EXPECT_NE(checksum.err.find("Meldung: Prüfsumme der HEX-Zeile 1 stimmt nicht !"),
            std::string::npos);
  EXPECT_NE(checksum.err.find("Berechnet 0x001E"), std::string::npos);
  EXPECT_EQ(Sim("-y --no-checksum program bad.hex").status, 0);

  // BW12-D8/14 has its program memory at 0x0800..0x3FFF.
  WriteFileBytes(dir_.File("low.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  CliRun range = Cli("-q --simulate=chip.sim --manufacturer 1 --device BW12-D8/14 -y program low.hex");
  EXPECT_EQ(range.status, 3);
  EXPECT_NE(range.err.find("Meldung: Adresse außerhalb des Programmdatenbereichs !"),
            std::string::npos);
  EXPECT_NE(range.err.find("Kleinste erlaubte Adresse: 2048"), std::string::npos);
  EXPECT_EQ(Sim("-y program missing.hex").status, 3);
}

TEST_F(CliEndToEnd, ConvertAgreesWithSrecCatBetweenAllFormats) {
  WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x700));
  const char* formats[] = {"intel8", "intel32", "intelmcs", "s1", "s2", "s3", "bin"};
  std::string input = "fw.bin";
  for (const char* format : formats) {
    SCOPED_TRACE(format);
    const std::string output = std::string("conv_") + format;
    CliRun run = Cli("--manufacturer 0 --device 1 --save-blank --format " + std::string(format) +
                  " convert " + input + " " + output);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string type = format[0] == 's' ? "-motorola" : format[0] == 'i' ? "-intel" : "-binary";
    Shell("srec_cat " + output + " " + type + " -crop 0 0x700 -o back.bin -binary");
    EXPECT_EQ(Bytes("back.bin"), Bytes("fw.bin"));
    input = output;  // each format is converted from the previous one
  }
}

TEST_F(CliEndToEnd, UsageErrorsHelpAndDemoMode) {
  EXPECT_EQ(Cli("").status, 64);
  EXPECT_EQ(Cli("frobnicate").status, 64);
  EXPECT_EQ(Cli("program").status, 64);
  EXPECT_EQ(Cli("--format pdf read x").status, 64);
  EXPECT_EQ(Cli("--simulate devices --device 99").status, 64);
  CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("program"), std::string::npos);
  CliRun devices = Cli("devices");
  EXPECT_EQ(devices.status, 0);
  EXPECT_NE(devices.out.find("0 Quellmark Halbleiter *"), std::string::npos);
  EXPECT_EQ(devices.out.find("Altmoor"), std::string::npos);  // a disabled manufacturer

  // Without --simulate and without a parallel port: demo mode and status 8.
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nSearchHardware=2\n");
  CliRun detect = Cli("detect");
  EXPECT_EQ(detect.status, 8);
  CliRun absent = Cli("--simulate detect");
  EXPECT_EQ(absent.status, 0);
  CliRun refused = Cli("blank");
  EXPECT_EQ(refused.status, 8);
  EXPECT_NE(refused.err.find("Meldung: Keine Aktionen des Brenners möglich !"), std::string::npos);
  CliRun initreg = Cli("initreg c5");
  EXPECT_EQ(initreg.status, 0);
  EXPECT_NE(Bytes("KALVENOR.INI").find("InitRegister1=c5"), std::string::npos);
  EXPECT_NE(Bytes("KALVENOR.INI").find("SearchHardware=2"), std::string::npos);
}

TEST_F(CliEndToEnd, DetectEndsInDemoModeForEveryPortWithNobodyAnswering) {
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nSearchHardware=2\nTimeOut=10000\n");
  for (const char* model : {"high", "busy-inverted", "low"}) {
    SCOPED_TRACE(model);
    CliRun detect = Cli(std::string("--simulate-absent=") + model + " detect");
    EXPECT_EQ(detect.status, 8);
    // Two attempts, each ended by one handshake timeout, then demo mode.
    std::size_t timeouts = 0;
    for (std::size_t at = detect.err.find("Timeout-Fehler"); at != std::string::npos;
         at = detect.err.find("Timeout-Fehler", at + 1)) {
      ++timeouts;
    }
    EXPECT_EQ(timeouts, 2u) << detect.err;
    EXPECT_NE(detect.err.find("Meldung: Kann Hardware nicht finden !\n         Programm geht in den Demomodus."),
              std::string::npos)
        << detect.err;
  }
  EXPECT_EQ(Cli("--simulate-absent=floating detect").status, 64);
}

}  // namespace
}  // namespace ferolith::testing
