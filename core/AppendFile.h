#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/FileOps.h"

namespace ferolith {

// A file that grows by whole lines, also with several programs appending to
// it at once (a log that production stations share). Each line goes to the
// end of the file in one write on a descriptor opened for appending, while
// the writers take turns through a lock on the file, and is synced to the
// disk before Append returns. A line that does not get there whole (a full
// disk) is cut off again, so the file keeps only whole lines and the next
// one starts on a line of its own.
class AppendFile {
 public:
  explicit AppendFile(FileOps& ops) : ops_(ops) {}
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens `path`, created when missing; false with Error() set.
  bool Open(const std::string& path);
  // Appends `line` (with its line break), after `header` when the file is
  // still empty. False with Error() set when it did not reach the disk whole;
  // the file then has the length it had before.
  bool Append(std::string_view line, std::string_view header = {});

  // The error number of the last failure.
  int Error() const { return error_; }

 private:
  // Writes `text` at the end in one write; false with error_ set, the file
  // cut back to `length`.
  bool WriteWhole(const std::string& text, std::int64_t length);

  FileOps& ops_;
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace ferolith
