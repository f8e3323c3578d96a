#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/FileOps.h"

namespace ferolith {

// A file that replaces its target only when it is complete: the bytes go
// into a temporary file beside the target, and Commit() renames it over the
// target. Until then, and after any failure, an existing target is left
// exactly as it was; an abandoned temporary file is removed.
class AtomicFile {
 public:
  explicit AtomicFile(FileOps& ops = SystemFileOps()) : ops_(ops) {}
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file for `target`. False on failure, with
  // Error() set.
  bool Open(const std::string& target);
  // Appends bytes; false on failure (a short write counts as failure).
  bool Write(std::string_view bytes);
  // Flushes, closes and renames over the target; false on failure, in which
  // case the target is untouched and the temporary file is gone.
  bool Commit();
  // Drops everything written; the target stays as it was.
  void Discard();

  bool IsOpen() const { return fd_ >= 0; }
  // The error number of the last failure.
  int Error() const { return error_; }
  const std::string& Target() const { return target_; }

 private:
  bool Fail();

  FileOps& ops_;
  int fd_ = -1;
  int error_ = 0;
  std::string target_;
  std::string tempPath_;
};

}  // namespace ferolith
