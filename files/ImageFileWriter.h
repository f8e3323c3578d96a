#pragma once

#include <string>

#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "core/FileOps.h"
#include "platform/Files.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"

namespace ferolith {

// Writes one memory area of the image into the read-out file `path`, in the
// format Settings::DataFormat names (1 binary, 2..4 Intel HEX, 5..7
// Motorola S-records). The file is replaced only when it is complete: after
// any failure or refusal an existing file is left as it was and no new file
// appears. Returns Result::Ok or Result::NotBlankOrReadOut; every failure
// has been shown (an unknown format is refused without a message).
ResultCode WriteImageFile(const std::string& path, MemoryArea area, UiServices& ui,
                          const MemoryImage& image, const DeviceEntry& device,
                          const Settings& settings, FileOps& ops = SystemFileOps());

}  // namespace ferolith
