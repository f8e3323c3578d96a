#pragma once

namespace ferolith {

// Result of an operation: Ok is success, every other value means the
// operation failed or was stopped and has already told the user. The
// numbers are fixed: the command line gives them as its exit status.
enum class ResultCode : int {
  Ok = 0,
  SocketCancelled = 2,     // Cancel in the socket instruction box
  FileNotLoaded = 3,       // burn or companion file not loaded
  NotBlankOrReadOut = 4,   // non-blank cells, or read-out failed
  BlankCheckStopped = 5,
  VerifyFailed = 6,        // also a failed chip read ending
  ProgramFailed = 7,       // also: programmer in use
  ProgrammerNotFound = 8,
  DelayCutShort = 9,
  HandshakeTimeout = 10,
  LibraryError = 13,
  EndOfList = 16,
  InvalidDeviceLine = 19,
};

// The results by their short names: Result::Ok, Result::ProgramFailed, ...
namespace Result {
using enum ResultCode;
}  // namespace Result

// The number of a result, where it is shown (the command line's exit status).
constexpr int ResultNumber(ResultCode result) { return static_cast<int>(result); }

}  // namespace ferolith
