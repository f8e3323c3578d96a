// The trace: the VCD writer's times and signal order, and the tracing
// port's slots of the time base with every edge kept.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "trace/TracingPort.h"
#include "trace/VcdWriter.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

constexpr std::uint16_t kBase = 0x3BC;

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

// The desktop program runs in the user's locale. A German one writes
// "4,5" where a VCD reader needs "4.5"; the trace's numbers must not follow
// it. The trace goes into a file beside its name that replaces an earlier
// trace only when it is complete.
TEST(VcdWriter, NumbersIgnoreTheLocaleAndAnEarlierFileStaysUntilTheEnd) {
  const char* german = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      german = name;
      break;
    }
  }
  if (german == nullptr) GTEST_SKIP() << "no German locale is installed (scripts/install-deps.sh makes one)";
  char formatted[16];
  std::snprintf(formatted, sizeof formatted, "%.1f", 4.5);
  EXPECT_STREQ(formatted, "4,5") << "the locale " << german << " is not German";

  testing::TempDir dir;
  const std::string path = dir.File("run.vcd");
  testing::WriteFileBytes(path, "the trace of an earlier run");
  {
    VcdWriter writer;
    ASSERT_TRUE(writer.Open(path));
    const int voltage = writer.AddReal("chip", "VCC");
    writer.EndDefinitions();
    writer.Time(1);
    writer.Real(voltage, 4.5);
    writer.Time(2);
    writer.Real(voltage, 12.25);
    writer.Time(3);
    writer.Real(voltage, 1e-7);
    ASSERT_TRUE(writer.Flush());
    EXPECT_EQ(testing::ReadFileBytes(path), "the trace of an earlier run");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
    EXPECT_TRUE(writer.Close());
  }
  std::setlocale(LC_NUMERIC, "C");
  const std::string text = testing::ReadFileBytes(path);
  EXPECT_NE(text.find("#1\nr4.5 !\n#2\nr12.25 !\n#3\nr1e-07 !\n"), std::string::npos) << text;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
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
