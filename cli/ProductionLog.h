#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "core/AppendFile.h"
#include "platform/Files.h"

namespace ferolith::cli {

// The log of a production run: one line per chip, fields separated by ';'
// as in the device library, appended to a file and synced line by line, so
// that a run ended at any moment (killed, unplugged) leaves every line it
// wrote complete; several runs may share one log. A new or empty file starts
// with a header line.
class ProductionLog {
 public:
  struct Entry {
    std::time_t time = 0;
    std::string device;
    std::string burnFile;
    std::optional<std::uint32_t> codeCrc;  // empty when the area was not used
    std::optional<std::uint32_t> dataCrc;
    int result = 0;
    std::optional<std::uint64_t> serial;  // empty without --serial
  };

  explicit ProductionLog(FileOps& ops = SystemFileOps()) : file_(ops) {}

  // Opens `path` for appending; false when it cannot be opened.
  bool Open(const std::string& path);
  // False when the line did not reach the disk whole; the log then stays as
  // it was.
  bool Append(const Entry& entry);

 private:
  AppendFile file_;
};

// `time` as ISO 8601 local time with its UTC offset, 2026-12-07T13:25:21+01:00.
std::string IsoLocalTime(std::time_t time);

}  // namespace ferolith::cli
