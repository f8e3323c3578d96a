#pragma once

#include <filesystem>

namespace ferolith {

// The two folders from which the program takes its port driver's files on
// Windows. Both are writable by administrators only when the program was
// installed as it should be; the working folder, which any user (or an
// unpacked archive) may fill, is never one of them.

// The folder of the running executable; empty when the system cannot say.
std::filesystem::path ProgramFolder();
// The system's own DLL folder (System32, or SysWOW64 for a 32-bit program
// on a 64-bit Windows); empty when the system cannot say.
std::filesystem::path SystemFolder();

}  // namespace ferolith
