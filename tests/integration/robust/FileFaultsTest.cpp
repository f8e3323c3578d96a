// File faults at the end of whole chains: a read-out that cannot create its
// file, one that runs out of room or cannot replace the old file, and a
// KALVENOR.INI that cannot be written. An existing file is never lost or
// shortened, and the program goes on.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "chip/ReadOut.h"
#include "core/DataFormat.h"
#include "platform/Files.h"
#include "tests/integration/robust/TinyDeviceChain.h"
#include "tests/support/ChipRig.h"

namespace ferolith::testing {
namespace {

using Kind = ScriptedUi::Kind;

std::string FileError(const std::string& path, const std::string& reason) {
  return "Fehler beim Öffnen der Datei\n\n" + path + "\n\n" + reason;
}

// Fails every write after the first `goodWrites` (a disk that fills up), or
// the final rename (a directory that takes no new entry), with `error`.
class FaultyDisk : public ForwardingFileOps {
 public:
  FaultyDisk(int goodWrites, bool failRename, int error)
      : goodWrites_(goodWrites), failRename_(failRename), error_(error) {}
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    if (writes_++ >= goodWrites_) return Fail();
    return ForwardingFileOps::Write(fd, data, size);
  }
  int Rename(const std::string& from, const std::string& to) override {
    return failRename_ ? Fail() : ForwardingFileOps::Rename(from, to);
  }

 private:
  int Fail() {
    errno = error_;
    return -1;
  }
  int goodWrites_;
  bool failRename_;
  int error_;
  int writes_ = 0;
};

// The chip stack with a programmed chip, read out through a FaultyDisk.
class ReadOutOntoAFaultyDisk : public ::testing::Test {
 protected:
  ReadOutOntoAFaultyDisk() {
    for (std::uint32_t a = 0; a < rig.device.CodeEnd; ++a) {
      rig.chip.SetCode(a, static_cast<std::uint8_t>(a * 7 + 1));
    }
    rig.settings.DataFormat = DataFormat::Intel8;
    rig.settings.HexLineLen = 16;
  }
  ResultCode ReadOut(const std::string& path, FileOps& disk) {
    rig.ui.Clear();
    rig.ui.AnswerBoxes({Answer::Ok});
    ferolith::ReadOut readOut(rig.operations, rig.protocol, rig.power, rig.ui, rig.image, rig.device,
                              rig.settings, rig.cancelRequested, disk);
    return readOut.ReadOutToFile(path, MemoryArea::ProgramMemory);
  }
  std::vector<std::string> Infos() const { return rig.ui.Texts(Kind::Info); }

  TempDir dir;
  ChipRig rig;
};

TEST_F(ReadOutOntoAFaultyDisk, FullDiskOrRefusedRenameKeepTheOldFileWhole) {
  const std::string path = dir.File("firmware.hex");
  const std::string old(5000, 'o');
  const std::string full = FileError(path, "Kein Platz mehr auf dem Gerät");
  // The disk fills up at the first or the second of the writer's writes
  // (it buffers the records: an Intel8 file of this size takes two).
  for (int goodWrites : {0, 1}) {
    WriteFileBytes(path, old);
    FaultyDisk disk(goodWrites, false, ENOSPC);
    EXPECT_EQ(ReadOut(path, disk), Result::NotBlankOrReadOut) << goodWrites;
    const auto infos = Infos();
    ASSERT_FALSE(infos.empty()) << goodWrites;
    EXPECT_LE(infos.size(), 2u);
    EXPECT_TRUE(infos.back() == full || infos.back() == "Hex-Zeile konnte nicht geschrieben werden")
        << infos.back();
    EXPECT_EQ(ReadFileBytes(path), old) << goodWrites;
    EXPECT_TRUE(rig.PoweredDown());
  }
  // Everything written but the rename refused: the old file stays too.
  WriteFileBytes(path, old);
  FaultyDisk noEntry(1000, true, EACCES);
  EXPECT_EQ(ReadOut(path, noEntry), Result::NotBlankOrReadOut);
  EXPECT_EQ(Infos().size(), 1u);
  EXPECT_EQ(ReadFileBytes(path), old);
  // Only the old file is left: no temporary file behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

  // A sound disk replaces the file.
  FaultyDisk sound(1000, false, 0);
  EXPECT_EQ(ReadOut(path, sound), Result::Ok);
  EXPECT_EQ(ReadFileBytes(path).rfind(":10000000", 0), 0u);
}

class FileFaultsInTheProgram : public TinyDeviceChain {};

TEST_F(FileFaultsInTheProgram, ReadOutIntoAPlaceWithoutWriteAccessWritesNothing) {
  StartTiny(false, "FFSave=1\n");
  // Permission bits do not stop root, who runs the tests in CI; a
  // directory that does not exist stops everybody.
  std::vector<std::string> targets{dir_.File("gone/chip.hex")};
#ifndef _WIN32
  if (::geteuid() != 0) {
    std::filesystem::create_directory(dir_.File("locked"));
    ::chmod(dir_.File("locked").c_str(), 0555);
    targets.push_back(dir_.File("locked/chip.hex"));
  }
#endif
  for (const std::string& target : targets) {
    ui_.Clear();
    ui_.AnswerBoxes({Answer::Ok});
    EXPECT_EQ(P().ReadOutTo(target, DataFormat::Intel8), Result::NotBlankOrReadOut);
    const auto infos = ui_.Texts(Kind::Info);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].rfind(FileError(target, ""), 0), 0u) << infos[0];
    EXPECT_FALSE(std::filesystem::exists(target));
    ExpectIdleAndPoweredDown();
  }
}

TEST_F(FileFaultsInTheProgram, ReadOnlyIniKeepsItsContentAndTheProgramGoesOn) {
  StartTiny(false);
  const std::string ini = dir_.File("KALVENOR.INI");
  const std::string before = ReadFileBytes(ini);
  namespace fs = std::filesystem;
  fs::permissions(ini, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  P().OnBausteinPruefen(true);  // a change that closing would save
  // The close tells the user, with the file's error, and closes all the same.
  ui_.Clear();
  EXPECT_TRUE(P().Close(10, 20));
  EXPECT_EQ(ReadFileBytes(ini), before);
  EXPECT_EQ(ui_.Texts(Kind::Info),
            std::vector<std::string>{"Die Einstellungen konnten nicht gespeichert werden !\n\n" +
                                     FileError(ini, "Zugriff verweigert") +  // the program's text for EACCES
                                     "\n\nDie Änderungen dieser Sitzung gehen verloren."});
  // The program still works.
  ui_.Clear();
  EXPECT_EQ(Brennen(), Result::Ok);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{"Keine Fehler beim prüfen\n"});
  fs::permissions(ini, fs::perms::owner_write, fs::perm_options::add);
  ui_.Clear();
  EXPECT_TRUE(P().Close(10, 20));
  EXPECT_NE(ReadFileBytes(ini), before);
  EXPECT_EQ(ui_.Texts(Kind::Info), std::vector<std::string>{});
}

TEST_F(FileFaultsInTheProgram, BurnFilesThatAreNoFilesProgramNothing) {
  StartTiny(false);
  const std::string blocker = dir_.File("plain.txt");
  WriteFileBytes(blocker, "x");
#ifdef _WIN32
  // NUL stands for /dev/null and /dev/zero there.
  const std::string cases[] = {dir_.Path().string(), "NUL", blocker + "/burn.hex"};
#else
  const std::string cases[] = {dir_.Path().string(), "/dev/null", "/dev/zero", blocker + "/burn.hex"};
#endif
  for (const std::string& path : cases) {
    P().SetBurnFile(path);
    const std::uint64_t writes = Programmer().RegisterWrites();
    EXPECT_EQ(Brennen(), Result::FileNotLoaded) << path;
    const auto infos = ui_.Texts(Kind::Info);
    ASSERT_EQ(infos.size(), 1u) << path;
    EXPECT_EQ(infos[0].rfind("Fehler beim Öffnen der Datei\n\n", 0), 0u) << infos[0];
    EXPECT_EQ(Programmer().RegisterWrites(), writes) << path;  // the chip was never touched
    EXPECT_EQ(Chip().Code(0), 0xFF);
    ExpectIdleAndPoweredDown();
  }
}

}  // namespace
}  // namespace ferolith::testing
