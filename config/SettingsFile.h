#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/ProfileFile.h"
#include "core/Settings.h"
#include "core/UiServices.h"

namespace ferolith {

// The settings file's name and sections.
inline constexpr const char* kIniFileName = "KALVENOR.INI";
inline constexpr const char* kHardwareSection = "Hardware";
inline constexpr const char* kProgramSection = "Ferolith INI-Section";

// The I/O base addresses of this machine's parallel ports (such as a PCIe
// card at 0xD010); asked only when the port address needs them.
using ParallelPortList = std::function<std::vector<std::uint32_t>()>;

// Sets IniPath to KALVENOR.INI in `workingDirectory`, reads every key of the
// file into `settings` with its default and validation, and derives the port
// addresses and burn-file paths. Messages about bad values go to `ui` and do
// not stop the load. A port address outside 0x200..0x400 is kept without a
// message when `machinePorts` lists a port there. A file without the key
// PortAdress (the first start) takes the address of the machine's port when
// it has exactly one.
void LoadSettings(UiServices& ui, Settings& settings, const std::string& workingDirectory,
                  const ParallelPortList& machinePorts = {});

// Writes every saved key back into IniPath, keeping the rest of the file,
// and sets BurnFileName from BurnFilePath. The file is replaced atomically;
// a file that cannot be written (read-only, missing rights, full disk) or
// read (its foreign keys would be lost) keeps its old content, and the
// outcome carries the error number.
SaveOutcome SaveSettings(Settings& settings);

// The two halves of the above without the file: reading the keys from a
// profile already in memory (IniPath is left as it is), and writing them
// into one, in the order the file has always had them.
void ReadSettings(UiServices& ui, Settings& settings, const ProfileFile& file,
                  const std::string& workingDirectory, const ParallelPortList& machinePorts = {});
void WriteSettings(Settings& settings, ProfileFile& file);

}  // namespace ferolith
