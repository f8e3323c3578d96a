#include "files/ImageFileWriter.h"

#include "core/AtomicFile.h"
#include "files/FileError.h"
#include "files/ReadOutWriter.h"

namespace ferolith {

namespace {

ResultCode WriteByFormat(ReadOutWriter& writer, DataFormat format, MemoryArea area) {
  switch (format) {
    case DataFormat::Binary:
      return writer.WriteBinaryImage(area);
    case DataFormat::Intel8:
    case DataFormat::Intel32:
    case DataFormat::IntelMCS:
      return writer.WriteIntelFile(area);
    case DataFormat::MotorolaS1:
    case DataFormat::MotorolaS2:
    case DataFormat::MotorolaS3:
      return writer.WriteMotorolaFile(area);
    default:
      return Result::NotBlankOrReadOut;
  }
}

}  // namespace

ResultCode WriteImageFile(const std::string& path, MemoryArea area, UiServices& ui,
                          const MemoryImage& image, const DeviceEntry& device,
                          const Settings& settings, FileOps& ops) {
  AtomicFile output(ops);
  if (!output.Open(path)) {
    ShowFileError(ui, path, output.Error());
    return Result::NotBlankOrReadOut;
  }
  ReadOutWriter writer(ui, image, device, settings, output);
  if (WriteByFormat(writer, settings.DataFormat, area) != Result::Ok) {
    output.Discard();
    return Result::NotBlankOrReadOut;
  }
  if (!output.Commit()) {
    ShowFileError(ui, path, output.Error());
    return Result::NotBlankOrReadOut;
  }
  return Result::Ok;
}

}  // namespace ferolith
