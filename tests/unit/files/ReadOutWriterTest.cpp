#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "files/DataFileLoader.h"
#include "files/ImageFileWriter.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ReadFileBytes;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr const char* kHeader = "S00F0000544F525645582056312E3030D3\r\n";

// Makes the n-th write (or the rename) fail with an error number; every
// other call goes to the system.
class FailingOps : public ForwardingFileOps {
 public:
  FailingOps(int failingWrite, bool failRename, int error)
      : failingWrite_(failingWrite), failRename_(failRename), error_(error) {}
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    if (++writes_ == failingWrite_) {
      errno = error_;
      return -1;
    }
    return ForwardingFileOps::Write(fd, data, size);
  }
  int Rename(const std::string& from, const std::string& to) override {
    if (failRename_) {
      errno = error_;
      return -1;
    }
    return ForwardingFileOps::Rename(from, to);
  }

 private:
  int failingWrite_;
  bool failRename_;
  int error_;
  int writes_ = 0;
};

class ReadOutWriterTest : public ::testing::Test {
 protected:
  ReadOutWriterTest() { image->FillBlank(); }

  void SetProgramMemory(std::uint32_t start, std::uint32_t size) {
    device.CodeStart = start;
    device.CodeSize = size;
    device.CodeEnd = start + size;
  }
  void SetDataEeprom(std::uint32_t start, std::uint32_t size) {
    device.DataStart = start;
    device.DataSize = size;
    device.DataEnd = start + size;
  }

  // Writes the area in `format` and returns the file's contents.
  std::string Write(DataFormat format, MemoryArea area = MemoryArea::ProgramMemory) {
    settings.DataFormat = format;
    result = WriteImageFile(path, area, ui, *image, device, settings);
    return ReadFileBytes(path);
  }

  ResultCode WriteFailing(DataFormat format, FailingOps ops) {
    settings.DataFormat = format;
    return WriteImageFile(path, MemoryArea::ProgramMemory, ui, *image, device, settings, ops);
  }

  // No file but the target in the directory: nothing temporary is left behind.
  std::size_t FilesInDirectory() const {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++count;
    return count;
  }

  TempDir dir;
  std::string path = dir.File("out.hex");
  ScriptedUi ui;
  std::unique_ptr<MemoryImage> image = std::make_unique<MemoryImage>();
  DeviceEntry device;
  Settings settings;
  ResultCode result = static_cast<ResultCode>(-1);  // no write yet
};

TEST_F(ReadOutWriterTest, IntelRecordsFollowTheLineLengthAndBlankRule) {
  SetProgramMemory(0, 0x20);
  settings.HexLineLen = 16;
  for (std::uint8_t i = 0; i < 0x20; ++i) image->bytes[i] = i;
  EXPECT_EQ(Write(DataFormat::Intel8),
            ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
            ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
            ":00000001FF\r\n");
  EXPECT_EQ(result, Result::Ok);

  image->FillBlank();
  EXPECT_EQ(Write(DataFormat::Intel8), ":00000001FF\r\n");
  settings.FFSave = 1;
  const std::string blankRecord = ":10000000" + std::string(32, 'F') + "00\r\n";
  EXPECT_EQ(Write(DataFormat::Intel8),
            blankRecord + ":10001000" + std::string(32, 'F') + "F0\r\n:00000001FF\r\n");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ReadOutWriterTest, ShortLastRecordIsWrittenEvenWhenBlank) {
  SetProgramMemory(0, 40);
  settings.HexLineLen = 32;
  image->bytes[0] = 0x00;
  EXPECT_EQ(Write(DataFormat::Intel8),
            ":20000000" + std::string("00") + std::string(62, 'F') + "FF\r\n" +
                ":08002000" + std::string(16, 'F') + "E0\r\n:00000001FF\r\n");
  // A full blank record between data is left out.
  SetProgramMemory(0, 96);
  image->bytes[64] = 0x01;
  const std::string text = Write(DataFormat::Intel8);
  EXPECT_EQ(text.find(":20002000"), std::string::npos);
  EXPECT_NE(text.find(":20004000"), std::string::npos);
}

TEST_F(ReadOutWriterTest, IntelVariantsLeadWithTheirAddressRecords) {
  SetProgramMemory(0x0800, 1);
  image->bytes[0x0800] = 0x55;
  EXPECT_EQ(Write(DataFormat::Intel32),
            ":020000040000FA\r\n:020000020000FC\r\n:0108000055A2\r\n:00000001FF\r\n");
  EXPECT_EQ(Write(DataFormat::IntelMCS), ":020000020000FC\r\n:0108000055A2\r\n:00000001FF\r\n");
}

TEST_F(ReadOutWriterTest, MotorolaFilesCarryHeaderLeadAndEndRecords) {
  SetProgramMemory(0x0800, 1);
  image->bytes[0x0800] = 0x55;
  EXPECT_EQ(Write(DataFormat::MotorolaS1), std::string(kHeader) + "S1040800559E\r\nS9030000FC\r\n");
  EXPECT_EQ(Write(DataFormat::MotorolaS2),
            std::string(kHeader) + "S204000000FB\r\nS205000800559D\r\nS804000000FB\r\n");
  EXPECT_EQ(Write(DataFormat::MotorolaS3),
            std::string(kHeader) + "S30500000000FA\r\nS30600000800559C\r\nS70500000000FA\r\n");
  EXPECT_EQ(result, Result::Ok);
}

TEST_F(ReadOutWriterTest, RecordLengthsStayWithinTheirCountByte) {
  SetProgramMemory(0, 0x400);
  settings.HexLineLen = 254;
  for (std::uint32_t i = 0; i < 0x400; ++i) image->bytes[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(Write(DataFormat::Intel8).substr(0, 3), ":FE");
  // S-records hold at most 252, 251 or 250 data bytes at a count of 0xFF.
  const std::string s1 = Write(DataFormat::MotorolaS1);
  EXPECT_EQ(s1.substr(std::string(kHeader).size(), 10), "S1FF0000" + std::string("00"));
  EXPECT_NE(s1.find("\r\nS1FF00FC"), std::string::npos);
  const std::string s2 = Write(DataFormat::MotorolaS2);
  EXPECT_NE(s2.find("\r\nS2FF000000"), std::string::npos);
  EXPECT_NE(s2.find("\r\nS2FF0000FB"), std::string::npos);
  const std::string s3 = Write(DataFormat::MotorolaS3);
  EXPECT_NE(s3.find("\r\nS3FF00000000"), std::string::npos);
  EXPECT_NE(s3.find("\r\nS3FF000000FA"), std::string::npos);
}

TEST_F(ReadOutWriterTest, BinaryImageTrimsTrailingBlanks) {
  SetProgramMemory(0x0800, 0x0800);
  image->bytes[0x0A3F] = 0x12;
  const std::string bytes = Write(DataFormat::Binary);
  ASSERT_EQ(bytes.size(), 0x0A40u);
  EXPECT_EQ(bytes.substr(0, 0x0800), std::string(0x0800, '\xFF'));
  EXPECT_EQ(bytes.back(), '\x12');

  // It loads back into the same device: the blank fill below the program
  // memory is no data.
  DataFileLoader loader(ui, *image, device, settings);
  image->bytes[0x0A3F] = 0x00;
  EXPECT_EQ(loader.LoadDataFile(path, MemoryArea::ProgramMemory), Result::Ok);
  EXPECT_EQ(image->bytes[0x0A3F], 0x12);
  EXPECT_EQ(image->lowestAddress, 0x0800u);
  EXPECT_TRUE(ui.Messages().empty());

  settings.FFSave = 1;
  image->FillBlank();
  EXPECT_EQ(Write(DataFormat::Binary), std::string(0x1000, '\xFF'));
}

TEST_F(ReadOutWriterTest, BinaryImageOfOneUsedCell) {
  SetProgramMemory(0, 0x0800);
  image->bytes[0] = 0x00;
  EXPECT_EQ(Write(DataFormat::Binary), std::string(1, '\x00'));
}

TEST_F(ReadOutWriterTest, BlankProgramMemoryIsRefusedAndTheOldFileStays) {
  SetProgramMemory(0, 0x0800);
  EXPECT_EQ(Write(DataFormat::Binary), "");
  EXPECT_EQ(result, Result::NotBlankOrReadOut);
  EXPECT_FALSE(std::filesystem::exists(path));  // no empty file is created
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{
                "Der Baustein enthält nur Leerzellen !!\n\nSpeichervorgang abgebrochen.\n\n"
                "Wenn eine Leerzellen-Datei geschrieben werden\nsoll, ** Leerzellen speichern ** aktivieren !"});

  WriteFileBytes(path, "previous read-out");
  EXPECT_EQ(Write(DataFormat::Binary), "previous read-out");
  EXPECT_EQ(FilesInDirectory(), 1u);
}

TEST_F(ReadOutWriterTest, BlankDataEepromIsSavedAsOneBlankByte) {
  SetDataEeprom(0x2100, 0x40);
  EXPECT_EQ(Write(DataFormat::Binary, MemoryArea::DataEeprom), std::string(1, '\xFF'));
  EXPECT_EQ(result, Result::Ok);
  EXPECT_TRUE(ui.Messages().empty());

  image->bytes[0x2101] = 0x42;
  EXPECT_EQ(Write(DataFormat::Intel8, MemoryArea::DataEeprom).substr(0, 15), ":20210000FF42FF");
}

TEST_F(ReadOutWriterTest, FailedWritesAreReportedAndLeaveTheOldFile) {
  SetProgramMemory(0, 0x20);
  image->bytes[0] = 0x00;
  const std::string fileError = "Fehler beim Öffnen der Datei\n\n" + path + "\n\nKein Platz mehr auf dem Gerät";
  const std::string header = "Header-Record der HEX-Datei\nkonnte nicht geschrieben werden.";
  const std::string end = "Endemarkierung der HEX-Datei\nkonnte nicht geschrieben werden.";
  struct Case {
    DataFormat format;
    int failingWrite;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {DataFormat::Intel32, 1, {header, fileError}},
      {DataFormat::Intel32, 2, {header, fileError}},
      {DataFormat::Intel32, 3, {"Hex-Zeile konnte nicht geschrieben werden"}},
      {DataFormat::Intel32, 4, {end, fileError}},
      {DataFormat::Intel8, 2, {end, fileError}},
      {DataFormat::MotorolaS1, 1, {header, fileError}},
      {DataFormat::MotorolaS3, 2, {"Hex-Zeile konnte nicht geschrieben werden"}},
      {DataFormat::MotorolaS3, 3, {"Hex-Zeile konnte nicht geschrieben werden"}},
      {DataFormat::MotorolaS2, 4, {end, fileError}},
      {DataFormat::Binary, 1, {fileError}},
  };
  for (const Case& c : cases) {
    WriteFileBytes(path, "old");
    ui.Clear();
    EXPECT_EQ(WriteFailing(c.format, FailingOps(c.failingWrite, false, ENOSPC)), Result::NotBlankOrReadOut)
        << FormatNumber(c.format) << "/" << c.failingWrite;
    EXPECT_EQ(ui.Messages(), c.messages) << FormatNumber(c.format) << "/" << c.failingWrite;
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(FilesInDirectory(), 1u);
  }
  ui.Clear();
  EXPECT_EQ(WriteFailing(DataFormat::Intel8, FailingOps(0, true, 28)), Result::NotBlankOrReadOut);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{fileError});
  EXPECT_EQ(ReadFileBytes(path), "old");
}

TEST_F(ReadOutWriterTest, UnwritableDirectoryAndUnknownFormat) {
  SetProgramMemory(0, 0x20);
  image->bytes[0] = 0x00;
  path = dir.File("missing/out.hex");
  Write(DataFormat::Intel8);
  EXPECT_EQ(result, Result::NotBlankOrReadOut);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{"Fehler beim Öffnen der Datei\n\n" + path +
                                                    "\n\nDatei oder Verzeichnis existiert nicht"});
  ui.Clear();
  path = dir.File("out.hex");
  for (const int number : {0, 8}) {
    EXPECT_EQ(Write(FormatOfNumber(number)), "");
    EXPECT_EQ(result, Result::NotBlankOrReadOut);
  }
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(FilesInDirectory(), 0u);
}

}  // namespace
}  // namespace ferolith
