#pragma once

namespace ferolith {

// Data format of burn and read-out files, numbered as KALVENOR.INI stores
// it; the read-out save dialog lists them in this order after its first
// entry, so a format's number is its filter index less one.
enum class DataFormat : int {
  Undecided = 0,
  Binary = 1,
  Intel8 = 2,
  Intel32 = 3,
  IntelMCS = 4,
  MotorolaS1 = 5,
  MotorolaS2 = 6,
  MotorolaS3 = 7,
};

// A format's number where it is stored (KALVENOR.INI) or counted (the save
// dialog's filter index), and the format of such a number.
constexpr int FormatNumber(DataFormat format) { return static_cast<int>(format); }
constexpr DataFormat FormatOfNumber(int number) { return static_cast<DataFormat>(number); }

// The memory area an operation works on.
enum class MemoryArea { ProgramMemory = 0, DataEeprom = 1 };

}  // namespace ferolith
