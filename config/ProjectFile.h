#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "config/ProfileFile.h"
#include "core/DataFormat.h"

namespace ferolith {

// The serial-number settings of a production run, as a project keeps them
// (the command line checks the field when it uses them).
struct ProjectSerial {
  std::string field;  // AREA:ADDRESS:WIDTH, as --serial takes it
  std::uint32_t start = 1;
  std::uint32_t step = 1;
  std::string format = "le";
  std::string counterFile;  // full path; empty: no counter file
  bool overwrite = false;
};

// What a project fixes for a chip: the device by name, the burn file with
// the checksums of its image when the project was saved, InitRegister1 and
// the options. Paths are full paths here; the file keeps them relative to
// its own folder.
struct Project {
  std::string manufacturer;
  std::string device;
  std::string burnFile;
  std::optional<std::uint32_t> burnFileCrc32;  // the program-memory image's CRC-32
  // The companion file for the data EEPROM and its image's CRC-32; empty
  // when the project was saved without one.
  std::string companionFile;
  std::optional<std::uint32_t> companionCrc32;
  std::optional<std::uint8_t> initRegister1;
  std::optional<bool> verify;
  std::optional<bool> saveBlank;
  std::optional<bool> checksum;
  std::optional<DataFormat> format;
  std::optional<std::uint32_t> lineLength;
  std::optional<ProjectSerial> serial;
};

// Why a project file was not read: `error` is the error number when the
// file could not be read at all (0 otherwise), `text` the German reason for
// a file that was read but does not hold a sound project.
struct ProjectFileError {
  int error = 0;
  std::string text;
};

// Reads the project file at `path` (UTF-8). Every value is checked; one
// that is not understood refuses the whole file, so that a chip is never
// programmed with half a project.
std::variant<Project, ProjectFileError> ReadProjectFile(const std::string& path);

// Writes `project` into the file at `path`, atomically: the whole file
// anew, so that nothing of an older project (a serial field no longer
// wanted) stays behind.
SaveOutcome WriteProjectFile(const std::string& path, const Project& project);

// The usual extension of project files.
inline constexpr const char* kProjectExtension = ".fproj";

}  // namespace ferolith
