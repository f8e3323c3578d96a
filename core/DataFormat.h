#pragma once

namespace ferolith {

// Data format codes of burn and read-out files, in the order of the
// read-out save dialog's filter list after its first entry.
namespace DataFormat {
inline constexpr int Undecided = 0;
inline constexpr int Binary = 1;
inline constexpr int Intel8 = 2;
inline constexpr int Intel32 = 3;
inline constexpr int IntelMCS = 4;
inline constexpr int MotorolaS1 = 5;
inline constexpr int MotorolaS2 = 6;
inline constexpr int MotorolaS3 = 7;
}  // namespace DataFormat

// The memory area an operation works on.
enum class MemoryArea { ProgramMemory = 0, DataEeprom = 1 };

}  // namespace ferolith
