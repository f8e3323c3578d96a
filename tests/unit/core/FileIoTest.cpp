#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "core/AtomicFile.h"
#include "core/TextLineReader.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

std::vector<std::string> ReadAllLines(const std::string& bytes) {
  std::FILE* file = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
  TextLineReader reader(file);
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  std::fclose(file);
  return lines;
}

TEST(TextLineReader, ReadsCrLfLikeLfAndKeepsTheLastLineWithoutNewline) {
  EXPECT_EQ(ReadAllLines("a;Y\r\nb;N\nlast"),
            (std::vector<std::string>{"a;Y\n", "b;N\n", "last"}));
  // A CR that is not followed by LF is an ordinary character.
  EXPECT_EQ(ReadAllLines("x\ry\n\r"), (std::vector<std::string>{"x\ry\n", "\r"}));
  EXPECT_EQ(ReadAllLines(std::string("a\0b\n", 4)), (std::vector<std::string>{std::string("a\0b\n", 4)}));
}

TEST(TextLineReader, SplitsLinesLongerThan1023Characters) {
  const std::string longLine = std::string(1500, 'x') + "\n";
  const auto lines = ReadAllLines(longLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 1023u);
  EXPECT_EQ(lines[1], std::string(477, 'x') + "\n");
}

// Fails the n-th call of one kind; everything else goes to the real calls.
class FailingOps : public FileOps {
 public:
  enum class Call { Write, Sync, Rename };
  FailingOps(Call call, int failAt, int error) : call_(call), failAt_(failAt), error_(error) {}

  int CreateTemp(std::string& pattern) override { return SystemFileOps().CreateTemp(pattern); }
  ssize_t Write(int fd, const void* data, std::size_t size) override {
    if (Hit(Call::Write)) return -1;
    return SystemFileOps().Write(fd, data, size);
  }
  int Sync(int fd) override { return Hit(Call::Sync) ? -1 : SystemFileOps().Sync(fd); }
  int Close(int fd) override { return SystemFileOps().Close(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return Hit(Call::Rename) ? -1 : SystemFileOps().Rename(from, to);
  }
  int Unlink(const std::string& path) override { return SystemFileOps().Unlink(path); }

 private:
  bool Hit(Call call) {
    if (call != call_ || ++count_ != failAt_) return false;
    errno = error_;
    return true;
  }
  Call call_;
  int failAt_;
  int error_;
  int count_ = 0;
};

TEST(AtomicFile, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.File("out.hex");
  WriteFileBytes(target, "old contents");
  AtomicFile file;
  ASSERT_TRUE(file.Open(target));
  EXPECT_EQ(ReadFileBytes(target), "old contents");  // untouched while writing
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Write(" bytes"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFileBytes(target), "new bytes");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(AtomicFile, AnyFailureLeavesTheOldFileExactlyAsItWas) {
  for (auto call : {FailingOps::Call::Write, FailingOps::Call::Sync, FailingOps::Call::Rename}) {
    TempDir dir;
    const std::string target = dir.File("keep.bin");
    WriteFileBytes(target, "precious");
    FailingOps ops(call, 1, ENOSPC);
    AtomicFile file(ops);
    ASSERT_TRUE(file.Open(target));
    const bool ok = file.Write("replacement") && file.Commit();
    EXPECT_FALSE(ok);
    EXPECT_EQ(file.Error(), ENOSPC);
    EXPECT_EQ(ReadFileBytes(target), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  }
}

TEST(AtomicFile, DiscardedOrAbandonedFilesCreateNothing) {
  TempDir dir;
  {
    AtomicFile file;
    ASSERT_TRUE(file.Open(dir.File("never.hex")));
    ASSERT_TRUE(file.Write("x"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  AtomicFile missingDirectory;
  EXPECT_FALSE(missingDirectory.Open(dir.File("no/such/dir/file.hex")));
  EXPECT_EQ(missingDirectory.Error(), ENOENT);
}

}  // namespace
}  // namespace ferolith
