#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/MotorolaReader.h"
#include "tests/support/ScriptedUi.h"
#include "tests/unit/files/MemoryLines.h"

namespace ferolith {
namespace {

using testing::MemoryLines;
using testing::ScriptedUi;

struct MotorolaRead {
  ResultCode result;
  std::unique_ptr<MemoryImage> image;
  ScriptedUi ui;
  RecordNotes notes;
};

std::unique_ptr<MotorolaRead> Read(const std::string& text, bool testChecksum = true) {
  auto read = std::make_unique<MotorolaRead>();
  read->image = std::make_unique<MemoryImage>();
  read->image->FillBlank();
  MemoryLines lines(text);
  read->result = ReadMotorolaFile(lines.Reader(), *read->image, read->ui, testChecksum, read->notes);
  return read;
}

std::vector<std::string> Only(std::string message) { return {std::move(message)}; }

TEST(MotorolaReader, StoresS1DataAndSkipsTheHeaderUnchecked) {
  const auto read = Read("S0FF0000ZZ\r\nS1130000285F245F2212226A000424290008237C2A\r\nS9030000FC\r\n");
  EXPECT_EQ(read->result, Result::Ok);
  const std::uint8_t expected[16] = {0x28, 0x5F, 0x24, 0x5F, 0x22, 0x12, 0x22, 0x6A,
                                     0x00, 0x04, 0x24, 0x29, 0x00, 0x08, 0x23, 0x7C};
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(read->image->bytes[i], expected[i]) << i;
  EXPECT_EQ(read->image->bytes[16], 0xFF);
  EXPECT_EQ(read->image->byteCount, 16u);
  EXPECT_EQ(read->image->lowestAddress, 0u);
  EXPECT_EQ(read->image->highestAddress, 15u);
}

TEST(MotorolaReader, ReadsMixedAddressWidths) {
  const auto read = Read("S1040800559E\nS205000801559C\nS30600000802559A\n");
  EXPECT_EQ(read->result, Result::Ok);
  EXPECT_TRUE(read->ui.Messages().empty());
  EXPECT_EQ(read->image->bytes[0x0800], 0x55);
  EXPECT_EQ(read->image->bytes[0x0801], 0x55);
  EXPECT_EQ(read->image->bytes[0x0802], 0x55);
  EXPECT_EQ(read->image->byteCount, 3u);
}

TEST(MotorolaReader, EndRecordsStopReadingAndEmptyRecordsAreSkipped) {
  for (const std::string end : {"S9030000FC", "S804000000FB", "S70500000000FA", "S9"}) {
    const auto read = Read("S1040800559E\n" + end + "\ngarbage\n");
    EXPECT_EQ(read->result, Result::Ok) << end;
    EXPECT_EQ(read->image->byteCount, 1u) << end;
  }
  // Records without data are not checksum-tested; no data leaves the counters at their start.
  const auto empty = Read("S1030000AA\nS30500000000FA\n");
  EXPECT_EQ(empty->result, Result::Ok);
  EXPECT_EQ(empty->image->byteCount, 0u);
  EXPECT_EQ(empty->image->lowestAddress, 0xFFFFFFFFu);
}

TEST(MotorolaReader, RejectsUnknownLineStarts) {
  for (const std::string line : {"S5030001FB", "s5030001FB", "", " S1040800559E", ":00000001FF"}) {
    const auto read = Read("S1040800559E\n" + line + "\n");
    EXPECT_EQ(read->result, Result::FileNotLoaded) << line;
    EXPECT_EQ(read->ui.Messages(), Only("Zeilenanfang in Zeile 2\nder Hex-Datei nicht gefunden !")) << line;
  }
}

TEST(MotorolaReader, LowerCaseRecordsALeadingMarkAndBlankLinesRead) {
  const auto lower = Read("s00f0000544f525645582056312e3030d3\ns1040800559e\ns9030000fc\n");
  EXPECT_EQ(lower->result, Result::Ok);
  EXPECT_TRUE(lower->ui.Messages().empty());
  EXPECT_EQ(lower->image->bytes[0x0800], 0x55);
  EXPECT_EQ(lower->image->byteCount, 1u);

  const auto lead = Read("\xEF\xBB\xBF\r\n  \r\nS1040800559E\r\nS9030000FC\r\n");
  EXPECT_EQ(lead->result, Result::Ok);
  EXPECT_EQ(lead->image->bytes[0x0800], 0x55);
  // Messages count the file's own lines, the skipped ones included; a blank
  // line after the first record is still an error.
  EXPECT_EQ(Read("\n\nS1040800559F\n")->ui.Messages(),
            Only("Prüfsumme der HEX-Zeile 3 stimmt nicht !\n\nGelesen 0x009F\nBerechnet 0x009E\n"));
  EXPECT_EQ(Read("\nS1040800559E\n\nS1040800559E\n")->ui.Messages(),
            Only("Zeilenanfang in Zeile 3\nder Hex-Datei nicht gefunden !"));
}

TEST(MotorolaReader, ChecksAgainstTheCountAndTheChecksum) {
  EXPECT_EQ(Read("S1040800559E00\n")->ui.Messages(),
            Only("Länge der HEX-Zeile 1 stimmt nicht !\n\nGelesen 14\nBerechnet 12\n"));
  const auto checksum = Read("S0030000FC\nS1040800559F\n");
  EXPECT_EQ(checksum->result, Result::FileNotLoaded);
  EXPECT_EQ(checksum->ui.Messages(),
            Only("Prüfsumme der HEX-Zeile 2 stimmt nicht !\n\nGelesen 0x009F\nBerechnet 0x009E\n"));
  EXPECT_EQ(Read("S1040800559F\n", false)->result, Result::Ok);
}

TEST(MotorolaReader, RejectsCountsTooSmallForTheAddress) {
  EXPECT_EQ(Read("S1020000\n")->ui.Messages(),
            Only("Länge der HEX-Zeile 1 stimmt nicht !\n\nGelesen 8\nBerechnet 10\n"));
  EXPECT_EQ(Read("S203000000\n")->ui.Messages(),
            Only("Länge der HEX-Zeile 1 stimmt nicht !\n\nGelesen 10\nBerechnet 12\n"));
  EXPECT_EQ(Read("S30400000000\n")->ui.Messages(),
            Only("Länge der HEX-Zeile 1 stimmt nicht !\n\nGelesen 12\nBerechnet 14\n"));
  EXPECT_EQ(Read("S100\n")->result, Result::FileNotLoaded);
  EXPECT_EQ(Read("S1")->ui.Messages(), Only("Länge der HEX-Zeile 1 stimmt nicht !\n\nGelesen 2\nBerechnet 4\n"));
}

TEST(MotorolaReader, RejectsCharactersThatAreNoHexDigits) {
  const auto read = Read("S1040800X59E\n", false);
  EXPECT_EQ(read->result, Result::FileNotLoaded);
  EXPECT_EQ(read->ui.Messages(), Only("Zeilenanfang in Zeile 1\nder Hex-Datei nicht gefunden !"));
  EXPECT_EQ(read->image->byteCount, 0u);
}

TEST(MotorolaReader, AddressesRunOnWithoutWrapping) {
  const auto past = Read("S105FFFFAABB97\n");
  EXPECT_EQ(past->image->bytes[0xFFFF], 0xAA);
  EXPECT_EQ(past->image->bytes[0x0000], 0xFF);
  EXPECT_EQ(past->image->highestAddress, 0x10000u);
  const auto top = Read("S307FFFFFFFFAABB97\n");
  EXPECT_EQ(top->result, Result::Ok);
  EXPECT_EQ(top->image->bytes[0x0000], 0xFF);
  EXPECT_EQ(top->image->highestAddress, 0xFFFFFFFFu);
  EXPECT_EQ(top->image->byteCount, 2u);
}

}  // namespace
}  // namespace ferolith
