#pragma once

namespace ferolith {

// Result of an operation: 0 is success, every other value means the
// operation failed or was stopped and has already told the user.
using ResultCode = int;

namespace Result {
inline constexpr ResultCode Ok = 0;
inline constexpr ResultCode SocketCancelled = 2;     // Cancel in the socket instruction box
inline constexpr ResultCode FileNotLoaded = 3;       // burn or companion file not loaded
inline constexpr ResultCode NotBlankOrReadOut = 4;   // non-blank cells, or read-out failed
inline constexpr ResultCode BlankCheckStopped = 5;
inline constexpr ResultCode VerifyFailed = 6;        // also a failed chip read ending
inline constexpr ResultCode ProgramFailed = 7;       // also: programmer in use
inline constexpr ResultCode ProgrammerNotFound = 8;
inline constexpr ResultCode DelayCutShort = 9;
inline constexpr ResultCode HandshakeTimeout = 10;
inline constexpr ResultCode LibraryError = 13;
inline constexpr ResultCode EndOfList = 16;
inline constexpr ResultCode InvalidDeviceLine = 19;
}  // namespace Result

}  // namespace ferolith
