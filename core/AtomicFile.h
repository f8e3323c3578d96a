#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/FileOps.h"

namespace ferolith {

// A file that replaces its target only when it is complete: the bytes go
// into a temporary file beside the target, and Commit() renames it over the
// target. Until then, and after any failure, an existing target is left
// exactly as it was; an abandoned temporary file is removed. After the
// rename the folder is synced as well, so a power cut after a successful
// Commit() cannot bring the old file back.
//
// The replacement does nothing a plain open for writing would refuse, and
// keeps what a plain open would keep:
// - an existing file the user may not write (or one without any write
//   permission, which counts as read-only even for root) is refused at Open;
// - a symbolic link stays: the file it leads to is replaced, beside itself;
// - a replaced file keeps its owner, group and mode;
// - where a rename cannot keep that - a pipe, a device, a link to nothing, a
//   file with further hard links, a file whose owner or group cannot be
//   carried over, a writable file in a folder without room for a temporary
//   file - the bytes are collected and written into the target itself at
//   Commit(), as a plain open would.
class AtomicFile {
 public:
  explicit AtomicFile(FileOps& ops) : ops_(ops) {}
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // How a pipe or a device (nothing a rename could replace) is written:
  // the bytes collected and written at Commit(), or written as they come
  // (a trace of a long run into a pipe, which must not wait for the end).
  enum class Devices { AtCommit, AsTheyCome };

  // Prepares writing `target`. False on failure or refusal, with Error() set.
  bool Open(const std::string& target, Devices devices = Devices::AtCommit);
  // Appends bytes; false on failure (a short write counts as failure).
  bool Write(std::string_view bytes);
  // Puts the bytes in place; false on failure, in which case a replaced
  // target is untouched and the temporary file is gone - except when only
  // the sync of the folder after the rename failed: the new file is then in
  // place but may not survive a power cut.
  bool Commit();
  // Drops everything written; the target stays as it was.
  void Discard();

  // The error number of the last failure.
  int Error() const { return error_; }
  const std::string& Target() const { return target_; }

 private:
  enum class Way { Closed, Replace, Direct, Stream };

  // The checks a plain open would make; false with Error() set.
  bool MayWrite(const std::string& path, const FileStatus& status);
  // Temporary file beside `path`; `existing` is the status of the file it
  // replaces, nullptr for a new file.
  bool OpenReplace(const std::string& path, const FileStatus* existing);
  void OpenDirect(const std::string& path, bool sync);
  bool OpenStream(const std::string& path);
  bool CommitDirect();
  bool WriteAll(int fd, std::string_view bytes);
  bool Fail();

  FileOps& ops_;
  Way way_ = Way::Closed;
  int fd_ = -1;
  int error_ = 0;
  std::string target_;
  std::string writePath_;  // the file really written: a link's target
  std::string tempPath_;
  // Direct writing: whether to sync (not a pipe or a device), and the bytes
  // collected until Commit.
  bool directSync_ = false;
  std::string directBytes_;
};

}  // namespace ferolith
