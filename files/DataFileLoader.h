#pragma once

#include <cstdio>
#include <string>

#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"

namespace ferolith {

// Loads burn files and their data-EEPROM companion files into the memory
// image: decides the format from the file's first lines, reads a binary
// image itself or hands HEX files to the record readers, and checks the
// addresses found against the selected device's range for the area.
class DataFileLoader {
 public:
  DataFileLoader(UiServices& ui, MemoryImage& image, const DeviceEntry& device, Settings& settings)
      : ui_(ui), image_(image), device_(device), settings_(settings) {}
  // The loader keeps a reference to the device: a temporary would dangle.
  DataFileLoader(UiServices&, MemoryImage&, DeviceEntry&&, Settings&) = delete;
  ~DataFileLoader() { CloseLoadFile(); }
  DataFileLoader(const DataFileLoader&) = delete;
  DataFileLoader& operator=(const DataFileLoader&) = delete;

  // Result::Ok when the file was loaded and lies inside the device's range
  // for `area`; Result::FileNotLoaded otherwise, after telling the user why.
  ResultCode LoadDataFile(const std::string& path, MemoryArea area);

  // What became of a companion file.
  enum class Companion {
    Loaded,  // loaded and inside the data EEPROM
    Absent,  // there is no such file: nothing shown, nothing to do
    Failed,  // there is one, but it was refused; the reason has been shown
  };
  // Loads the data-EEPROM companion file of a burn file.
  Companion LoadCompanionFile(const std::string& path);

  // The DataFormat code of the file at `path`, also stored as the current
  // Settings::DataFormat; Undecided when the file cannot be opened, is no
  // regular file (a directory, a device, a pipe) or is plain text of
  // neither HEX format. Every reason is shown, except that a file that does
  // not exist is not reported when `quiet`; `missing` (if given) tells
  // whether that was the case.
  DataFormat DetectFileFormat(const std::string& path, bool quiet, bool* missing = nullptr);

  // Closes the load file if it is open.
  void CloseLoadFile();

 private:
  ResultCode Load(const std::string& path, MemoryArea area, bool quietIfMissing, bool* missing);
  // Reads the open load file as a binary image from address 0, for the
  // area [areaStart, areaEnd).
  ResultCode LoadBinaryFile(std::uint32_t areaStart, std::uint32_t areaEnd);
  // Leaves the blank fill below an area's start out of the loaded data.
  void SkipBlankFillBelow(std::uint32_t areaStart);
  // Shows the range message for `area` when the loaded addresses leave it.
  bool InsideRange(MemoryArea area);

  UiServices& ui_;
  MemoryImage& image_;
  const DeviceEntry& device_;
  Settings& settings_;
  std::FILE* loadFile_ = nullptr;
  std::string loadPath_;
};

}  // namespace ferolith
