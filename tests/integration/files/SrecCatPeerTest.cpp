// Checks the HEX readers and writers against srec_cat, an independent
// implementation of both formats: files it writes load to the bytes it
// reads itself, and files ours writes read back in it to our image.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>

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

bool HaveSrecCat() { return std::system("command -v srec_cat >/dev/null 2>&1") == 0; }

// Runs srec_cat with `arguments`; true when it succeeded.
bool SrecCat(const std::string& arguments) {
  return std::system(("srec_cat " + arguments + " 2>/dev/null").c_str()) == 0;
}

// Random bytes with blank stretches of various lengths in between.
std::string TestBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\xFF');
  for (std::size_t i = 0; i < size;) {
    const std::size_t run = 1 + random() % 300;
    const bool blank = random() % 4 == 0;
    for (std::size_t k = 0; k < run && i < size; ++k, ++i) {
      if (!blank) bytes[i] = static_cast<char>(random() & 0xFF);
    }
  }
  return bytes;
}

std::string ImageBytes(const MemoryImage& image) {
  return std::string(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
}

DeviceEntry Device(std::uint32_t start, std::uint32_t size) {
  DeviceEntry device;
  device.CodeStart = start;
  device.CodeSize = size;
  device.CodeEnd = start + size;
  return device;
}

class SrecCatPeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveSrecCat()) GTEST_SKIP() << "srec_cat is not installed";
  }
  std::string Quoted(const std::string& name) const { return "'" + dir.File(name) + "'"; }

  TempDir dir;
  ScriptedUi ui;
  Settings settings;
};

TEST_F(SrecCatPeerTest, FilesWrittenBySrecCatLoadToItsOwnBytes) {
  struct Case {
    const char* output;  // srec_cat output format
    DataFormat expectedFormat;
  };
  const Case cases[] = {
      {"-intel -address-length=2", DataFormat::Intel8},
      {"-intel -address-length=3", DataFormat::IntelMCS},
      {"-intel -address-length=4", DataFormat::Intel32},
      {"-intel -address-length=2 -obs=255", DataFormat::Intel8},
      {"-motorola -address-length=2 -disable=data-count", DataFormat::MotorolaS1},
      {"-motorola -address-length=3 -disable=data-count", DataFormat::MotorolaS2},
      {"-motorola -address-length=4 -disable=data-count", DataFormat::MotorolaS3},
      {"-motorola -address-length=4 -disable=data-count -obs=250", DataFormat::MotorolaS3},
  };
  WriteFileBytes(dir.File("in.bin"), TestBytes(0xFF00, 7));
  const DeviceEntry device = Device(0, 0x10000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    ASSERT_TRUE(SrecCat(Quoted("in.bin") + " -binary -offset 0x100 -o " + Quoted("peer.hex") + " " + c.output));
    ASSERT_TRUE(SrecCat(Quoted("peer.hex") + (c.expectedFormat >= DataFormat::MotorolaS1 ? " -motorola" : " -intel") +
                        " -fill 0xFF 0 0x10000 -o " + Quoted("peer.bin") + " -binary"));
    auto image = std::make_unique<MemoryImage>();
    DataFileLoader loader(ui, *image, device, settings);
    EXPECT_EQ(loader.LoadDataFile(dir.File("peer.hex"), MemoryArea::ProgramMemory), Result::Ok);
    EXPECT_EQ(settings.DataFormat, c.expectedFormat);
    EXPECT_EQ(image->byteCount, 0xFF00u);
    EXPECT_EQ(image->lowestAddress, 0x100u);
    EXPECT_EQ(image->highestAddress, 0xFFFFu);
    EXPECT_TRUE(ImageBytes(*image) == ReadFileBytes(dir.File("peer.bin")));
    EXPECT_TRUE(ui.Messages().empty());
  }
}

TEST_F(SrecCatPeerTest, AddressRecordsOfSrecCatPlaceDataAbove64KiB) {
  WriteFileBytes(dir.File("in.bin"), TestBytes(0x200, 3));
  for (const char* output : {"-intel -address-length=3", "-intel -address-length=4",
                             "-motorola -address-length=3 -disable=data-count"}) {
    SCOPED_TRACE(output);
    ASSERT_TRUE(SrecCat(Quoted("in.bin") + " -binary -offset 0x1F000 -o " + Quoted("high.hex") + " " + output));
    auto image = std::make_unique<MemoryImage>();
    const DeviceEntry device = Device(0, 0x10000);
    DataFileLoader loader(ui, *image, device, settings);
    ui.Clear();
    EXPECT_EQ(loader.LoadDataFile(dir.File("high.hex"), MemoryArea::ProgramMemory), Result::FileNotLoaded);
    EXPECT_EQ(image->lowestAddress, 0x1F000u);
    EXPECT_EQ(image->highestAddress, 0x1F1FFu);
    EXPECT_EQ(image->byteCount, 0x200u);
    EXPECT_EQ(ImageBytes(*image), std::string(0x10000, '\xFF'));  // nothing wrapped into the image
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_TRUE(ui.Messages()[0].starts_with("Zuviele Programmdaten")) << ui.Messages()[0];
  }
}

TEST_F(SrecCatPeerTest, DataCountRecordsOfSrecCatAreNotAccepted) {
  WriteFileBytes(dir.File("in.bin"), TestBytes(0x40, 5));
  ASSERT_TRUE(SrecCat(Quoted("in.bin") + " -binary -o " + Quoted("counted.s19") + " -motorola"));
  auto image = std::make_unique<MemoryImage>();
  const DeviceEntry device = Device(0, 0x10000);
  DataFileLoader loader(ui, *image, device, settings);
  EXPECT_EQ(loader.LoadDataFile(dir.File("counted.s19"), MemoryArea::ProgramMemory), Result::FileNotLoaded);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_TRUE(ui.Messages()[0].starts_with("Zeilenanfang in Zeile "));
}

TEST_F(SrecCatPeerTest, FilesWeWriteReadBackInSrecCat) {
  auto image = std::make_unique<MemoryImage>();
  image->FillBlank();
  const DeviceEntry device = Device(0x0100, 0xFF00);
  const std::string area = TestBytes(0xFF00, 11);
  std::copy(area.begin(), area.end(), image->bytes.begin() + 0x100);
  image->bytes[0xFFFF] = 0x5A;  // keep the last cell used so binary files are not trimmed short
  const std::string expected = ImageBytes(*image);

  const DataFormat formats[] = {DataFormat::Binary,     DataFormat::Intel8,     DataFormat::Intel32,
                                DataFormat::IntelMCS,   DataFormat::MotorolaS1, DataFormat::MotorolaS2,
                                DataFormat::MotorolaS3};
  for (const DataFormat format : formats) {
    for (const std::uint32_t lineLength : {2u, 16u, 32u, 254u}) {
      for (const int ffSave : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "format " << FormatNumber(format) << ", line " << lineLength
                                          << ", FFSave " << ffSave);
        if (format == DataFormat::Binary && lineLength != 32) continue;
        settings.DataFormat = format;
        settings.HexLineLen = lineLength;
        settings.FFSave = ffSave;
        ASSERT_EQ(WriteImageFile(dir.File("ours.hex"), MemoryArea::ProgramMemory, ui, *image, device, settings),
                  Result::Ok);
        const char* input = format == DataFormat::Binary    ? " -binary"
                            : format <= DataFormat::IntelMCS ? " -intel"
                                                             : " -motorola";
        ASSERT_TRUE(SrecCat(Quoted("ours.hex") + input + " -fill 0xFF 0 0x10000 -o " + Quoted("back.bin") +
                            " -binary"));
        EXPECT_TRUE(ReadFileBytes(dir.File("back.bin")) == expected);
      }
    }
  }
  EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace ferolith
