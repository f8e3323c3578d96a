#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/ProjectFile.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"

namespace ferolith {

class DataFileLoader;
struct DeviceEntry;
struct MemoryImage;

// Keeps the checksums a project recorded for the images of its burn file
// and companion file. While the burn file in use is still the project's,
// "Brennen" and "Prüfen" first load both files and refuse them when an
// image is no longer the one saved: a file edited, rebuilt or swapped since
// would otherwise go into the chips unnoticed.
class ProjectFileGuard {
 public:
  // Watches the files of `project` (nothing, when it recorded no checksum);
  // `hint` ends every refusal (how to take the file all the same).
  void Expect(const Project& project, std::string hint);
  void Release() { expected_.reset(); }

  // Checks the files when `burnFile` is the project's: Ok, or
  // Result::FileNotLoaded after a message that names the file and both
  // checksums (or the loader's result after its own message). The image is
  // left holding whatever was loaded last; the command loads anew.
  ResultCode Check(const std::string& burnFile, const std::string& companionFile, DataFileLoader& loader,
                   const MemoryImage& image, const DeviceEntry& device, UiServices& ui) const;

 private:
  struct Expected {
    std::string burnFile;
    std::uint32_t burnFileCrc32 = 0;
    std::optional<std::uint32_t> companionCrc32;  // nothing: the project had no companion
  };
  void Refuse(UiServices& ui, const std::string& text) const;

  std::optional<Expected> expected_;
  std::string hint_;
};

}  // namespace ferolith
