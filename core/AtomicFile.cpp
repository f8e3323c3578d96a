#include "core/AtomicFile.h"

#include <cerrno>
#include <cstdint>
#include <random>
#include <string_view>
#include <utility>

#include "core/PathParts.h"

namespace ferolith {

namespace {

constexpr std::uint32_t kAnyWriteBit = 0222;
// A new file gets what any new file of the user gets: these less the umask,
// which the kernel applies at the create. A replacement starts as the
// owner's alone and then takes the old file's owner, group and mode.
constexpr std::uint32_t kNewFileMode = 0666;
constexpr std::uint32_t kReplacementMode = 0600;
constexpr int kNameAttempts = 100;

// A free name ".<name>.<6 random letters>" beside `path`, created anew with
// `mode`; the descriptor, or -1 with errno set. `tempPath` is the name.
int CreateBeside(FileOps& ops, const std::string& path, std::uint32_t mode, std::string& tempPath) {
  constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  const PathParts parts = SplitPath(path);
  std::random_device seed;
  std::minstd_rand random(seed());
  std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    tempPath = parts.drive + parts.directory + "." + parts.name + parts.extension + ".";
    for (int i = 0; i < 6; ++i) tempPath += kLetters[letter(random)];
    const int fd = ops.CreateExclusive(tempPath, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const std::string& target, Devices devices) {
  Discard();
  error_ = 0;
  target_ = target;
  FileStatus status;
  if (ops_.Inspect(target, status) != 0) {
    error_ = errno;
    return false;
  }
  if (!status.exists) return OpenReplace(target, nullptr);
  if (!status.targetExists) {
    // A link to nothing: a plain open creates the file it names.
    OpenDirect(target, true);
    return true;
  }
  if (status.kind == FileStatus::Kind::Directory) {
    error_ = EISDIR;
    return false;
  }
  if (!MayWrite(target, status)) return false;
  if (status.kind != FileStatus::Kind::Regular) {
    if (devices == Devices::AsTheyCome) return OpenStream(target);
    OpenDirect(target, false);
    return true;
  }
  std::string path = target;
  if (status.symbolicLink && ops_.ResolvePath(target, path) != 0) {
    error_ = errno;
    return false;
  }
  if (status.links > 1) {
    // A rename would leave the other names with the old contents.
    OpenDirect(path, true);
    return true;
  }
  return OpenReplace(path, &status);
}

bool AtomicFile::MayWrite(const std::string& path, const FileStatus& status) {
  if ((status.mode & kAnyWriteBit) == 0) {
    error_ = EACCES;
    return false;
  }
  if (ops_.CheckWritable(path) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool AtomicFile::OpenReplace(const std::string& path, const FileStatus* existing) {
  fd_ = CreateBeside(ops_, path, existing == nullptr ? kNewFileMode : kReplacementMode, tempPath_);
  if (fd_ < 0) {
    error_ = errno;
    tempPath_.clear();
    // A writable file in a folder that takes no new file is written in place.
    if (existing != nullptr && (error_ == EACCES || error_ == EPERM)) {
      error_ = 0;
      OpenDirect(path, true);
      return true;
    }
    return false;
  }
  way_ = Way::Replace;
  writePath_ = path;
  if (existing == nullptr) return true;
  if (ops_.KeepOwnerAndMode(fd_, *existing) != 0) {
    // The file belongs to someone else: replacing it would take it over.
    Discard();
    OpenDirect(path, true);
  }
  return true;
}

void AtomicFile::OpenDirect(const std::string& path, bool sync) {
  way_ = Way::Direct;
  writePath_ = path;
  directSync_ = sync;
  directBytes_.clear();
}

bool AtomicFile::OpenStream(const std::string& path) {
  fd_ = ops_.OpenForWriting(path);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  way_ = Way::Stream;
  writePath_ = path;
  return true;
}

bool AtomicFile::Write(std::string_view bytes) {
  switch (way_) {
    case Way::Replace:
    case Way::Stream:
      return WriteAll(fd_, bytes) || Fail();
    case Way::Direct:
      directBytes_ += bytes;
      return true;
    default:
      return false;
  }
}

bool AtomicFile::WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const std::ptrdiff_t written = ops_.Write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFile::Commit() {
  if (way_ == Way::Direct) return CommitDirect();
  if (way_ == Way::Stream) {
    way_ = Way::Closed;
    const int fd = std::exchange(fd_, -1);
    if (ops_.Close(fd) == 0) return true;
    error_ = errno;
    return false;
  }
  if (way_ != Way::Replace) return false;
  if (ops_.Sync(fd_) != 0) return Fail();
  const int fd = fd_;
  fd_ = -1;
  way_ = Way::Closed;
  if (ops_.Close(fd) != 0 || ops_.Rename(tempPath_, writePath_) != 0) {
    error_ = errno;
    ops_.Unlink(tempPath_);
    tempPath_.clear();
    return false;
  }
  tempPath_.clear();
  // The rename is a change of the folder: only once that is on the disk
  // does a power cut no longer bring the old file back.
  const PathParts parts = SplitPath(writePath_);
  if (ops_.SyncDirectory(parts.drive + parts.directory) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool AtomicFile::CommitDirect() {
  way_ = Way::Closed;
  const std::string bytes = std::move(directBytes_);
  directBytes_.clear();
  const int fd = ops_.OpenForWriting(writePath_);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  const bool written = WriteAll(fd, bytes) && (!directSync_ || ops_.Sync(fd) == 0);
  if (!written) error_ = errno;
  if (ops_.Close(fd) != 0 && written) {
    error_ = errno;
    return false;
  }
  return written;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ops_.Close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ops_.Unlink(tempPath_);
    tempPath_.clear();
  }
  directBytes_.clear();
  way_ = Way::Closed;
}

bool AtomicFile::Fail() {
  error_ = errno;
  Discard();
  return false;
}

}  // namespace ferolith
