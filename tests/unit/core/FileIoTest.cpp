#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/AppendFile.h"
#include "core/AtomicFile.h"
#include "core/TextLineReader.h"
#include "platform/Files.h"
#include "tests/support/SymbolicLink.h"
#include "tests/support/TempDir.h"

#ifndef _WIN32
// Changes of the process's umask while this program runs. umask is a
// process-wide setting: while some thread has it at 0, a file that any other
// thread creates (the trace writer, the toolkit's threads) gets mode 0666.
// This definition stands in for the C library's in the whole test program.
namespace {
int umaskChanges = 0;
}  // namespace
extern "C" mode_t umask(mode_t mask) {
  const auto old = static_cast<mode_t>(::syscall(SYS_umask, mask));
  if (old != mask) ++umaskChanges;
  return old;
}
#endif

namespace ferolith {
namespace {

using testing::MakeFileLink;
using testing::MemoryFile;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WhereItLeads;
using testing::WriteFileBytes;

std::vector<std::string> ReadAllLines(const std::string& bytes) {
  const MemoryFile file(bytes);
  TextLineReader reader(file.Get());
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
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
class FailingOps : public ForwardingFileOps {
 public:
  enum class Call { CreateExclusive, Write, Sync, Rename, SyncDirectory, KeepOwner, OpenForWriting };
  FailingOps(Call call, int failAt, int error) : call_(call), failAt_(failAt), error_(error) {}

  int CreateExclusive(const std::string& path, std::uint32_t mode) override {
    return Hit(Call::CreateExclusive) ? -1 : ForwardingFileOps::CreateExclusive(path, mode);
  }
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    return Hit(Call::Write) ? -1 : ForwardingFileOps::Write(fd, data, size);
  }
  int Sync(int fd) override { return Hit(Call::Sync) ? -1 : ForwardingFileOps::Sync(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return Hit(Call::Rename) ? -1 : ForwardingFileOps::Rename(from, to);
  }
  int SyncDirectory(const std::string& directory) override {
    synced.push_back(directory);
    return Hit(Call::SyncDirectory) ? -1 : ForwardingFileOps::SyncDirectory(directory);
  }
  int KeepOwnerAndMode(int fd, const FileStatus& status) override {
    return Hit(Call::KeepOwner) ? -1 : ForwardingFileOps::KeepOwnerAndMode(fd, status);
  }
  int OpenForWriting(const std::string& path) override {
    return Hit(Call::OpenForWriting) ? -1 : ForwardingFileOps::OpenForWriting(path);
  }

  std::vector<std::string> synced;  // the folders synced, in order

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

bool WriteThrough(AtomicFile& file, const std::string& target, const std::string& bytes) {
  return file.Open(target) && file.Write(bytes) && file.Commit();
}

// An existing target is replaced on every system (a plain rename refuses
// that on Windows), and the bytes arrive as written, CR LF included. On
// Windows the replaced file also keeps its access list, attributes and
// alternate streams (ReplaceFileW); wine shows none of them: its streams
// are plain files named "out.hex:stream" beside the file, it keeps no
// access lists, and a hidden attribute it is given does not stay.
TEST(AtomicFile, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.File("out.hex");
  WriteFileBytes(target, "old contents");
  AtomicFile file(SystemFileOps());
  ASSERT_TRUE(file.Open(target));
  EXPECT_EQ(ReadFileBytes(target), "old contents");  // untouched while writing
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Write(" bytes\r\n"));
  ASSERT_TRUE(file.Commit()) << file.Error();
  EXPECT_EQ(ReadFileBytes(target), "new bytes\r\n");
  ASSERT_TRUE(WriteThrough(file, target, "again\n")) << file.Error();
  EXPECT_EQ(ReadFileBytes(target), "again\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

  // Write after write, under every form of the name: relative to the
  // working folder, with forward slashes (ReplaceFileW takes absolute
  // names only, wine refuses a relative one).
  const std::filesystem::path working = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const std::string slashed = (dir.Path() / "out.hex").generic_string();
  for (int round = 0; round < 3; ++round) {
    for (const std::string& name : {std::string("out.hex"), slashed, target}) {
      const std::string bytes = name + " " + std::to_string(round);
      EXPECT_TRUE(WriteThrough(file, name, bytes)) << name << ": " << file.Error();
      EXPECT_EQ(ReadFileBytes(target), bytes);
    }
  }
  std::filesystem::current_path(working);
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
    AtomicFile file(SystemFileOps());
    ASSERT_TRUE(file.Open(dir.File("never.hex")));
    ASSERT_TRUE(file.Write("x"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  AtomicFile missingDirectory(SystemFileOps());
  EXPECT_FALSE(missingDirectory.Open(dir.File("no/such/dir/file.hex")));
  EXPECT_EQ(missingDirectory.Error(), ENOENT);
}

#ifndef _WIN32
struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info;
}
#endif

std::size_t Entries(const std::filesystem::path& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

// On Windows under wine the link is one of the POSIX side (see
// MakeFileLink), which Windows' calls follow without telling: the
// replacement finds the file by its final path.
TEST(AtomicFile, ALinkStaysAndTheFileItLeadsToIsReplacedBesideItself) {
  TempDir links;
  TempDir files;
  const std::string file = files.File("chip.hex");
  const std::string link = links.File("chip.hex");
  WriteFileBytes(file, "old");
  if (!MakeFileLink(file, link)) GTEST_SKIP() << "symbolic links need developer mode or a right of their own";
  AtomicFile atomic(SystemFileOps());
  for (const char* bytes : {"new", "newer", "newest"}) {
    ASSERT_TRUE(WriteThrough(atomic, link, bytes)) << atomic.Error();
    // Still a link to the file: a link replaced by a file leads to itself.
    EXPECT_EQ(WhereItLeads(link), WhereItLeads(file));
    EXPECT_EQ(ReadFileBytes(file), bytes);
    EXPECT_EQ(Entries(links.Path()), 1u);
    EXPECT_EQ(Entries(files.Path()), 1u);
  }
#ifndef _WIN32
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(std::filesystem::read_symlink(link), file);

  // A link to nothing: the file it names is created, as an open would. (A
  // Windows link to nothing is a reparse point that the file services take
  // for a link; wine shows a POSIX link to nothing as nothing at all.)
  const std::string missing = files.File("new.hex");
  const std::string dangling = links.File("new.hex");
  std::filesystem::create_symlink(missing, dangling);
  ASSERT_TRUE(WriteThrough(atomic, dangling, "fresh"));
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_EQ(ReadFileBytes(missing), "fresh");
#endif
}

TEST(AtomicFile, AReplacedFileKeepsItsModeAndOwner) {
#ifdef _WIN32
  GTEST_SKIP() << "owner and mode are POSIX; a Windows file takes its folder's access list";
#else
  TempDir dir;
  const std::string target = dir.File("chip.hex");
  WriteFileBytes(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  // Root can hand the file to another user; anybody else keeps their own.
  const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
  const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
  ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
  const ino_t before = StatOf(target).st_ino;
  AtomicFile file(SystemFileOps());
  ASSERT_TRUE(WriteThrough(file, target, "new"));
  const struct stat after = StatOf(target);
  EXPECT_NE(after.st_ino, before);  // replaced, not rewritten
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, owner);
  EXPECT_EQ(after.st_gid, group);
  EXPECT_EQ(ReadFileBytes(target), "new");

  // A new file gets the mode of any new file: 0666 less the umask, which
  // the kernel applies at the create. The umask itself is never changed
  // meanwhile, not even for a moment.
  for (const mode_t mask : {mode_t{022}, mode_t{027}}) {
    const mode_t previous = ::umask(mask);
    umaskChanges = 0;
    const std::string fresh = dir.File("fresh-" + std::to_string(mask) + ".hex");
    ASSERT_TRUE(WriteThrough(file, fresh, "x"));
    EXPECT_EQ(umaskChanges, 0);
    ::umask(previous);
    EXPECT_EQ(StatOf(fresh).st_mode & 07777, 0666u & ~mask);
  }
#endif
}

// The rename is a change of the folder; the folder is synced after it, and
// a folder that cannot be synced is reported, although the file is in place.
TEST(AtomicFile, TheFolderIsSyncedAfterTheRename) {
  TempDir dir;
  const std::string target = dir.File("KALVENOR.INI");
  WriteFileBytes(target, "old");
  FailingOps ops(FailingOps::Call::SyncDirectory, 2, EIO);
  AtomicFile file(ops);
  ASSERT_TRUE(WriteThrough(file, target, "new")) << file.Error();
  ASSERT_EQ(ops.synced.size(), 1u);
  EXPECT_EQ(ops.synced[0] + "KALVENOR.INI", target);  // the target's own folder
  EXPECT_FALSE(WriteThrough(file, dir.File("fresh.hex"), "fresh"));
  EXPECT_EQ(file.Error(), EIO);
  EXPECT_EQ(ops.synced.size(), 2u);
  EXPECT_EQ(ReadFileBytes(dir.File("fresh.hex")), "fresh");
  EXPECT_EQ(Entries(dir.Path()), 2u);
}

TEST(AtomicFile, WhereARenameCannotKeepTheFileItIsWrittenInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "hard links, owners and inode numbers are POSIX";
#else
  TempDir dir;
  // A second hard link sees the new contents too.
  const std::string target = dir.File("chip.hex");
  const std::string other = dir.File("other-name.hex");
  WriteFileBytes(target, "old");
  ASSERT_EQ(::link(target.c_str(), other.c_str()), 0);
  AtomicFile file(SystemFileOps());
  ASSERT_TRUE(WriteThrough(file, target, "new"));
  EXPECT_EQ(ReadFileBytes(other), "new");
  EXPECT_EQ(StatOf(target).st_nlink, 2u);

  // An owner that cannot be carried over, a folder that takes no new file:
  // the same file, rewritten.
  for (auto call : {FailingOps::Call::KeepOwner, FailingOps::Call::CreateExclusive}) {
    const std::string single = dir.File("single.hex");
    WriteFileBytes(single, "old");
    const ino_t before = StatOf(single).st_ino;
    FailingOps ops(call, 1, EPERM);
    AtomicFile inPlace(ops);
    ASSERT_TRUE(inPlace.Open(single));
    ASSERT_TRUE(inPlace.Write("in place"));
    EXPECT_EQ(ReadFileBytes(single), "old");  // nothing happens before Commit
    ASSERT_TRUE(inPlace.Commit());
    EXPECT_EQ(ReadFileBytes(single), "in place");
    EXPECT_EQ(StatOf(single).st_ino, before);
    EXPECT_EQ(Entries(dir.Path()), 3u);  // no temporary file left
  }

  // Dropped or failing before the open, the in-place file stays as it was.
  FailingOps failingOpen(FailingOps::Call::OpenForWriting, 1, EIO);
  AtomicFile dropped(failingOpen);
  ASSERT_TRUE(dropped.Open(target));
  ASSERT_TRUE(dropped.Write("never"));
  dropped.Discard();
  EXPECT_FALSE(dropped.Commit());
  ASSERT_TRUE(dropped.Open(target));
  ASSERT_TRUE(dropped.Write("never"));
  EXPECT_FALSE(dropped.Commit());
  EXPECT_EQ(dropped.Error(), EIO);
  EXPECT_EQ(ReadFileBytes(target), "new");
#endif
}

TEST(AtomicFile, APipeIsWrittenIntoAndStaysAPipe) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes in the file system are POSIX";
#else
  TempDir dir;
  const std::string fifo = dir.File("pipe.hex");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // The reading end is open, so opening the writing end does not wait.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  AtomicFile file(SystemFileOps());
  ASSERT_TRUE(WriteThrough(file, fifo, "through the pipe"));
  char buffer[64] = {};
  const ssize_t got = ::read(reader, buffer, sizeof buffer);
  ::close(reader);
  EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "through the pipe");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(Entries(dir.Path()), 1u);
#endif
}

TEST(AtomicFile, ReadOnlyFilesAndDirectoriesAreRefusedAtOpen) {
  TempDir dir;
  const std::string target = dir.File("locked.hex");
  WriteFileBytes(target, "keep");
  // Without any write permission (on Windows: the read-only attribute) a
  // file is read-only, for root as well.
  namespace fs = std::filesystem;
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(target, readOnly);
  AtomicFile file(SystemFileOps());
  EXPECT_FALSE(file.Open(target));
  EXPECT_EQ(file.Error(), EACCES);
  EXPECT_FALSE(file.Write("x"));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(ReadFileBytes(target), "keep");
  EXPECT_EQ(fs::status(target).permissions(), readOnly);

  EXPECT_FALSE(file.Open(dir.Path().string()));
  EXPECT_EQ(file.Error(), EISDIR);
  EXPECT_EQ(Entries(dir.Path()), 1u);
}

// A disk that takes only part of the n-th write (as a full one does), or
// fails the n-th data sync.
class FullDisk : public ForwardingFileOps {
 public:
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    return ++writes == cutWrite ? ForwardingFileOps::Write(fd, data, size / 2)
                                : ForwardingFileOps::Write(fd, data, size);
  }
  int SyncData(int fd) override {
    if (++syncs != failSync) return ForwardingFileOps::SyncData(fd);
    errno = EIO;
    return -1;
  }
  int writes = 0;
  int cutWrite = 0;
  int syncs = 0;
  int failSync = 0;
};

TEST(AppendFile, ALineThatDoesNotArriveWholeIsCutOffAndTheNextStartsClean) {
  TempDir dir;
  const std::string path = dir.File("run.csv");
  FullDisk disk;
  AppendFile log(disk);
  ASSERT_TRUE(log.Open(path));
  ASSERT_TRUE(log.Append("first\n", "header\n"));
  ASSERT_TRUE(log.Append("second\n", "header\n"));  // the header only in an empty file
  EXPECT_EQ(ReadFileBytes(path), "header\nfirst\nsecond\n");
  EXPECT_EQ(disk.writes, 2) << "one write a line";

  disk.cutWrite = disk.writes + 1;
  EXPECT_FALSE(log.Append("cut short by a full disk\n"));
  EXPECT_EQ(log.Error(), ENOSPC);
  EXPECT_EQ(ReadFileBytes(path), "header\nfirst\nsecond\n");
  disk.failSync = disk.syncs + 1;
  EXPECT_FALSE(log.Append("not on the disk\n"));
  EXPECT_EQ(log.Error(), EIO);
  EXPECT_EQ(ReadFileBytes(path), "header\nfirst\nsecond\n");
  ASSERT_TRUE(log.Append("third\n"));
  EXPECT_EQ(ReadFileBytes(path), "header\nfirst\nsecond\nthird\n");

  AppendFile missing(SystemFileOps());
  EXPECT_FALSE(missing.Open(dir.File("no/such/folder/run.csv")));
  EXPECT_EQ(missing.Error(), ENOENT);
  EXPECT_FALSE(missing.Append("nowhere\n"));
}

#ifndef _WIN32
// A disk that cuts the first write short and, holding it there, tells a pipe
// and waits on another before the write returns.
class HeldFullDisk : public ForwardingFileOps {
 public:
  HeldFullDisk(int tell, int wait) : tell_(tell), wait_(wait) {}
  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    const std::ptrdiff_t written = ForwardingFileOps::Write(fd, data, size / 2);
    char byte = 'w';
    if (::write(tell_, &byte, 1) != 1 || ::read(wait_, &byte, 1) != 1) return -1;
    return written;
  }

 private:
  int tell_;
  int wait_;
};

// True once /proc/locks shows a program waiting for a lock on the file with
// inode `inode`; false when that is not seen within a generous bound.
bool SomebodyWaitsForTheLockOf(ino_t inode) {
  const std::string file = ":" + std::to_string(inode) + " ";
  for (int look = 0; look < 20000; ++look) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
      if (line.find(" -> FLOCK ") != std::string::npos && line.find(file) != std::string::npos) return true;
    }
    ::usleep(500);
  }
  return false;
}
#endif

// The lock keeps a line that is cut back from taking another program's line
// with it: while one program's line is half on a full disk, another program
// that appends meanwhile waits until the half line is gone, and its own line
// stays whole.
TEST(AppendFile, AnotherProgramWaitsWhileAHalfLineIsCutBack) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork and /proc/locks";
#else
  if (!std::filesystem::exists("/proc/locks")) GTEST_SKIP() << "the kernel shows no /proc/locks";
  TempDir dir;
  const std::string path = dir.File("shared.csv");
  WriteFileBytes(path, "header\n");
  int inside[2];
  int go[2];
  ASSERT_EQ(::pipe(inside), 0);
  ASSERT_EQ(::pipe(go), 0);
  const pid_t cut = fork();
  ASSERT_GE(cut, 0);
  if (cut == 0) {
    HeldFullDisk disk(inside[1], go[0]);
    AppendFile log(disk);
    _exit(log.Open(path) && !log.Append("a line that the disk cuts short\n") ? 0 : 1);
  }
  char byte = 0;
  ASSERT_EQ(::read(inside[0], &byte, 1), 1);  // half the line is in the file now
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    AppendFile log(SystemFileOps());
    _exit(log.Open(path) && log.Append("another program's line\n") ? 0 : 1);
  }
  struct stat file {};
  ASSERT_EQ(::stat(path.c_str(), &file), 0);
  EXPECT_TRUE(SomebodyWaitsForTheLockOf(file.st_ino)) << "the other program did not wait";
  ASSERT_EQ(::write(go[1], &byte, 1), 1);
  for (const pid_t child : {cut, other}) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (const int fd : {inside[0], inside[1], go[0], go[1]}) ::close(fd);
  EXPECT_EQ(ReadFileBytes(path), "header\nanother program's line\n");
#endif
}

// Production stations that share one log: four programs append at once,
// each line stays whole and none is lost, and the header comes once.
TEST(AppendFile, ALogSharedBySeveralProgramsStaysLineWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork";
#else
  TempDir dir;
  const std::string path = dir.File("shared.csv");
  constexpr int kWriters = 4;
  constexpr int kLines = 50;
  std::vector<pid_t> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      AppendFile log(SystemFileOps());
      bool all = log.Open(path);
      for (int line = 0; line < kLines && all; ++line) {
        // Lines of different lengths, so that a torn one would show.
        all = log.Append(std::to_string(writer) + ";" + std::string(static_cast<std::size_t>(line % 97), static_cast<char>('a' + writer)) +
                             ";" + std::to_string(line) + "\n",
                         "header\n");
      }
      _exit(all ? 0 : 1);
    }
    writers.push_back(child);
  }
  for (const pid_t child : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::istringstream text(ReadFileBytes(path));
  std::string line;
  ASSERT_TRUE(std::getline(text, line));
  EXPECT_EQ(line, "header");
  std::vector<int> next(kWriters, 0);
  while (std::getline(text, line)) {
    const int writer = line[0] - '0';
    ASSERT_TRUE(writer >= 0 && writer < kWriters) << line;
    const int number = next[static_cast<std::size_t>(writer)]++;
    EXPECT_EQ(line, std::to_string(writer) + ";" + std::string(static_cast<std::size_t>(number % 97), static_cast<char>('a' + writer)) +
                        ";" + std::to_string(number));
  }
  EXPECT_EQ(next, std::vector<int>(kWriters, kLines));
#endif
}

}  // namespace
}  // namespace ferolith
