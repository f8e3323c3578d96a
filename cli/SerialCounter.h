#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ferolith::cli {

// Hands out serial numbers: start, start + step, start + 2 step, ...
//
// With a counter file, the file holds the next number to hand out (one
// line of decimal digits). Every Take locks the file against other
// processes (a lock file FILE.lock beside it, which is never removed),
// reads the number, writes the one after it into a temporary file, syncs
// it to the disk and renames it over the counter, and only then lets go:
// a number is handed out only once it is gone from the counter for good,
// so no number is handed out twice, across runs, crashes and several
// processes on one counter. A counter file that does not exist yet starts
// at `start`.
class SerialCounter {
 public:
  SerialCounter(std::uint64_t start, std::uint64_t step, std::optional<std::string> file)
      : next_(start), step_(step), file_(std::move(file)) {}

  // The next number, or nothing with Error() set (a German text) when it is
  // larger than `largest` (the counter then stays as it is) or the counter
  // file cannot be locked, read or written.
  std::optional<std::uint64_t> Take(std::uint64_t largest);
  // The number the next Take would give, without taking it; nothing with
  // Error() set when the counter file cannot be read.
  std::optional<std::uint64_t> Peek();

  const std::string& Error() const { return error_; }
  // True when the last Take failed because the number did not fit.
  bool Exhausted() const { return exhausted_; }

 private:
  // The number in the counter file, `next_` when there is none yet.
  std::optional<std::uint64_t> ReadFile();

  std::uint64_t next_;
  std::uint64_t step_;
  std::optional<std::string> file_;
  std::string error_;
  bool exhausted_ = false;
};

}  // namespace ferolith::cli
