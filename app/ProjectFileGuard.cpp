#include "app/ProjectFileGuard.h"

#include "core/DeviceEntry.h"
#include "core/PathParts.h"
#include "core/TextFormat.h"
#include "files/AreaChecksum.h"
#include "files/DataFileLoader.h"

namespace ferolith {

namespace {

std::string ChangedText(const char* what, const std::string& path, std::uint32_t saved, std::uint32_t now) {
  return FormatText(
      "%s\n\n%s\n\nist nicht mehr die des Projekts:\ngespeichert ist CRC-32 %08X, die Datei hat jetzt CRC-32 %08X.\n\n"
      "Die Datei wird nicht verwendet.",
      what, path.c_str(), static_cast<unsigned>(saved), static_cast<unsigned>(now));
}

}  // namespace

void ProjectFileGuard::Expect(const Project& project, std::string hint) {
  expected_.reset();
  hint_ = std::move(hint);
  if (!project.burnFileCrc32) return;
  expected_ = Expected{project.burnFile, *project.burnFileCrc32, project.companionCrc32};
}

void ProjectFileGuard::Refuse(UiServices& ui, const std::string& text) const {
  ui.MessageInfo(hint_.empty() ? text : text + "\n" + hint_);
}

ResultCode ProjectFileGuard::Check(const std::string& burnFile, const std::string& companionFile,
                                   DataFileLoader& loader, const MemoryImage& image, const DeviceEntry& device,
                                   UiServices& ui) const {
  if (!expected_ || !SamePathText(burnFile, expected_->burnFile)) return Result::Ok;
  const ResultCode loaded = loader.LoadDataFile(burnFile, MemoryArea::ProgramMemory);
  if (loaded != Result::Ok) return loaded;
  const std::uint32_t code = ChecksumOf(image, device, MemoryArea::ProgramMemory).crc32;
  if (code != expected_->burnFileCrc32) {
    Refuse(ui, ChangedText("Die Brenndatei", burnFile, expected_->burnFileCrc32, code));
    return Result::FileNotLoaded;
  }
  // The commands use a companion file only for a device with a data EEPROM.
  if (device.DataEnd == 0) return Result::Ok;
  switch (loader.LoadCompanionFile(companionFile)) {
    case DataFileLoader::Companion::Failed:
      return Result::FileNotLoaded;
    case DataFileLoader::Companion::Absent:
      if (!expected_->companionCrc32) return Result::Ok;
      Refuse(ui, FormatText("Die Begleitdatei\n\n%s\n\ndes Projekts fehlt.\n\nDie Brenndatei wird nicht verwendet.",
                                companionFile.c_str()));
      return Result::FileNotLoaded;
    case DataFileLoader::Companion::Loaded:
      break;
  }
  const std::uint32_t data = ChecksumOf(image, device, MemoryArea::DataEeprom).crc32;
  if (!expected_->companionCrc32) {
    Refuse(ui, FormatText("Neben der Brenndatei liegt jetzt die Begleitdatei\n\n%s\n\n(CRC-32 %08X), die das "
                              "Projekt nicht kennt.\n\nDie Brenndatei wird nicht verwendet.",
                              companionFile.c_str(), static_cast<unsigned>(data)));
    return Result::FileNotLoaded;
  }
  if (data != *expected_->companionCrc32) {
    Refuse(ui, ChangedText("Die Begleitdatei", companionFile, *expected_->companionCrc32, data));
    return Result::FileNotLoaded;
  }
  return Result::Ok;
}

}  // namespace ferolith
