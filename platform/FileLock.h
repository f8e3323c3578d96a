#pragma once

#include <memory>
#include <string>

namespace ferolith {

// An exclusive lock on a file, held while the object lives and released by
// the system when the process ends in any way, so that a crashed holder
// never leaves a stale lock. Processes that lock the same file wait for
// each other.
class FileLockHold {
 public:
  virtual ~FileLockHold() = default;
};

// Locks `path` (created when missing, never removed), waiting for another
// holder to let go; nullptr with errno set when the file cannot be opened
// or locked.
std::unique_ptr<FileLockHold> LockFileExclusively(const std::string& path);

}  // namespace ferolith
