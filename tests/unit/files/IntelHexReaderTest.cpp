#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/IntelHexReader.h"
#include "tests/support/ScriptedUi.h"
#include "tests/unit/files/MemoryLines.h"

namespace ferolith {
namespace {

using testing::MemoryLines;
using testing::ScriptedUi;

struct IntelRead {
  ResultCode result;
  std::unique_ptr<MemoryImage> image;
  ScriptedUi ui;
  RecordNotes notes;
};

std::unique_ptr<IntelRead> Read(const std::string& text, bool testChecksum = true) {
  auto read = std::make_unique<IntelRead>();
  read->image = std::make_unique<MemoryImage>();
  read->image->FillBlank();
  MemoryLines lines(text);
  read->result = ReadIntelHexFile(lines.Reader(), *read->image, read->ui, testChecksum, read->notes);
  return read;
}

std::string LengthMessage(unsigned line, unsigned actual, unsigned expected) {
  return "Länge der HEX-Zeile " + std::to_string(line) + " stimmt nicht !\n\nGelesen " +
         std::to_string(actual) + "\nBerechnet " + std::to_string(expected) + "\n";
}

std::string LineStartMessage(unsigned line) {
  return "Zeilenanfang in Zeile " + std::to_string(line) + "\nder Hex-Datei nicht gefunden !";
}

TEST(IntelHexReader, StoresADataRecordAndCountsItsBytes) {
  const auto read = Read(":0300300002337A1E\r\n:00000001FF\r\n");
  EXPECT_EQ(read->result, Result::Ok);
  EXPECT_EQ(read->image->bytes[0x30], 0x02);
  EXPECT_EQ(read->image->bytes[0x31], 0x33);
  EXPECT_EQ(read->image->bytes[0x32], 0x7A);
  EXPECT_EQ(read->image->bytes[0x33], 0xFF);
  EXPECT_EQ(read->image->byteCount, 3u);
  EXPECT_EQ(read->image->lowestAddress, 0x30u);
  EXPECT_EQ(read->image->highestAddress, 0x32u);
  EXPECT_TRUE(read->ui.Messages().empty());
}

TEST(IntelHexReader, ChecksumIsTestedOnlyWhenAskedFor) {
  const auto checked = Read(":020000040000FA\n:0300300002337A1F\n");
  EXPECT_EQ(checked->result, Result::FileNotLoaded);
  EXPECT_EQ(checked->ui.Messages(),
            std::vector<std::string>{"Prüfsumme der HEX-Zeile 2 stimmt nicht !\n\nGelesen 0x001F\nBerechnet 0x001E\n"});
  // The bytes are stored before the checksum is tested.
  EXPECT_EQ(checked->image->bytes[0x30], 0x02);

  const auto unchecked = Read(":0300300002337A1F\n", false);
  EXPECT_EQ(unchecked->result, Result::Ok);
  EXPECT_TRUE(unchecked->ui.Messages().empty());
  EXPECT_EQ(unchecked->image->bytes[0x32], 0x7A);

  // Address records are checksum-tested too.
  EXPECT_EQ(Read(":020000040000FB\n")->result, Result::FileNotLoaded);
}

TEST(IntelHexReader, AddressRecordsSetTheBase) {
  const auto linear = Read(":020000040001F9\n:0100000055AA\n");
  EXPECT_EQ(linear->result, Result::Ok);
  EXPECT_EQ(linear->image->bytes[0], 0xFF);  // 0x10000 is not stored ...
  EXPECT_EQ(linear->image->highestAddress, 0x10000u);  // ... but counted
  EXPECT_EQ(linear->image->byteCount, 1u);

  const auto segment = Read(":020000021000EC\n:0100000055AA\n");
  EXPECT_EQ(segment->image->highestAddress, 0x10000u);

  // Each file starts at base 0 again, and a later address record replaces the base.
  const auto reset = Read(":020000040001F9\n:020000040000FA\n:01001000559A\n");
  EXPECT_EQ(reset->image->bytes[0x10], 0x55);

  // Other record types store nothing and leave the base alone.
  const auto other = Read(":0400000300001234B3\n:01002000558A\n");
  EXPECT_EQ(other->image->byteCount, 1u);
  EXPECT_EQ(other->image->bytes[0x20], 0x55);
}

TEST(IntelHexReader, EndRecordStopsReadingAndIsNotRequired) {
  const auto stopped = Read(":0100000011EE\n:00000001FF\nthis line is never read\n");
  EXPECT_EQ(stopped->result, Result::Ok);
  EXPECT_EQ(stopped->image->bytes[0], 0x11);
  // The end record's length and checksum are not tested.
  EXPECT_EQ(Read(":0000000100\n")->result, Result::Ok);

  const auto noEnd = Read(":0100000011EE\n:0100010022DC");
  EXPECT_EQ(noEnd->result, Result::Ok);
  EXPECT_EQ(noEnd->image->byteCount, 2u);

  const auto empty = Read(":00000001FF\n");
  EXPECT_EQ(empty->image->byteCount, 0u);
  EXPECT_EQ(empty->image->highestAddress, 0u);
  EXPECT_EQ(empty->image->lowestAddress, 0xFFFFFFFFu);
}

TEST(IntelHexReader, EmptyRecordIsSkippedWithoutChecksum) {
  const auto read = Read(":0012340055\n:0100000011EE\n");
  EXPECT_EQ(read->result, Result::Ok);
  EXPECT_EQ(read->image->byteCount, 1u);
}

TEST(IntelHexReader, RejectsLinesWithoutRecordMark) {
  for (const std::string text : {"\n", " :0100000011EE\n", "S1040800559E\n"}) {
    const auto read = Read(":0100000011EE\n" + text);
    EXPECT_EQ(read->result, Result::FileNotLoaded) << text;
    EXPECT_EQ(read->ui.Messages(), std::vector<std::string>{LineStartMessage(2)}) << text;
  }
}

TEST(IntelHexReader, ByteOrderMarkAndLeadingBlankLinesAreSkipped) {
  const auto read = Read("\xEF\xBB\xBF:0300300002337A1E\r\n:00000001FF\r\n");
  EXPECT_EQ(read->result, Result::Ok);
  EXPECT_EQ(read->image->bytes[0x30], 0x02);
  EXPECT_EQ(read->image->byteCount, 3u);
  const auto blank = Read("\n \t\r\n:0300300002337A1E\n");
  EXPECT_EQ(blank->result, Result::Ok);
  EXPECT_EQ(blank->image->byteCount, 3u);
  // The line numbers are the file's: the third line holds the bad record.
  EXPECT_EQ(Read("\xEF\xBB\xBF\n\n:0300300002337A1E00\n")->ui.Messages(),
            std::vector<std::string>{LengthMessage(3, 19, 17)});
  // A mark anywhere else is no record start.
  EXPECT_EQ(Read(":0100000011EE\n\xEF\xBB\xBF:0100000011EE\n")->ui.Messages(),
            std::vector<std::string>{LineStartMessage(2)});
}

TEST(IntelHexReader, RejectsLinesOfTheWrongLength) {
  const auto read = Read(":0300300002337A1E00\n");
  EXPECT_EQ(read->ui.Messages(), std::vector<std::string>{LengthMessage(1, 19, 17)});
  // A blank ends the line.
  EXPECT_EQ(Read(":03003000 02337A1E\n")->ui.Messages(),
            std::vector<std::string>{LengthMessage(1, 9, 17)});
}

TEST(IntelHexReader, RejectsLinesTooShortForTheirFields) {
  // Without a complete type field a line is no record, not even an end record.
  EXPECT_EQ(Read(":0000001\n")->ui.Messages(), std::vector<std::string>{LengthMessage(1, 8, 11)});
  EXPECT_EQ(Read(":\n")->ui.Messages(), std::vector<std::string>{LengthMessage(1, 1, 11)});
  EXPECT_EQ(Read(":0A")->ui.Messages(), std::vector<std::string>{LengthMessage(1, 3, 31)});
  EXPECT_EQ(Read(":0000001G\n")->ui.Messages(), std::vector<std::string>{LengthMessage(1, 9, 11)});
  const auto noChecksum = Read(":00000000\n");
  EXPECT_EQ(noChecksum->result, Result::FileNotLoaded);
  EXPECT_EQ(noChecksum->ui.Messages(), std::vector<std::string>{LengthMessage(1, 9, 11)});
}

TEST(IntelHexReader, RejectsCharactersThatAreNoHexDigits) {
  for (const std::string text : {":0300300002G37A1E\n", ":03003G0002337A1E\n", ":0300300002337A1-\n"}) {
    const auto read = Read(text, false);
    EXPECT_EQ(read->result, Result::FileNotLoaded) << text;
    EXPECT_EQ(read->ui.Messages(), std::vector<std::string>{LineStartMessage(1)}) << text;
    EXPECT_EQ(read->image->byteCount, 0u) << text;
  }
}

TEST(IntelHexReader, AddressesRunOnPastTheImageWithoutWrapping) {
  const auto past = Read(":02FFFF00AABB9B\n");
  EXPECT_EQ(past->result, Result::Ok);
  EXPECT_EQ(past->image->bytes[0xFFFF], 0xAA);
  EXPECT_EQ(past->image->bytes[0x0000], 0xFF);
  EXPECT_EQ(past->image->highestAddress, 0x10000u);

  // Base 0xFFFF0000 + 0xFFFF + 1 lies past 32 bits: counted at the top, never at 0.
  const auto top = Read(":02000004FFFFFC\n:02FFFF00AABB9B\n");
  EXPECT_EQ(top->image->bytes[0x0000], 0xFF);
  EXPECT_EQ(top->image->highestAddress, 0xFFFFFFFFu);
  EXPECT_EQ(top->image->lowestAddress, 0xFFFFFFFFu);
  EXPECT_EQ(top->image->byteCount, 2u);
}

}  // namespace
}  // namespace ferolith
