#include "config/ProjectFile.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/DataFormatName.h"
#include "core/NumberText.h"
#include "core/TextFormat.h"
#include "core/Utf8Path.h"

namespace ferolith {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "Projekt";
constexpr const char* kSerialSection = "Seriennummer";

constexpr const char* kHeading =
    "; Ferolith-Projekt: Baustein, Brenndatei und Einstellungen für einen Chip.\n"
    "; Pfade gelten vom Ordner dieser Datei aus. CRC32 ist die Prüfsumme des\n"
    "; Abbilds der Brenndatei beim Speichern; eine geänderte Datei wird abgelehnt.\n";

// A file's path as the project keeps it: relative to the project's folder
// with '/' between the names, or the full path where there is no relative
// one (another drive).
std::string KeptPath(const std::string& file, const fs::path& folder) {
  std::error_code error;
  fs::path full = fs::absolute(PathFromUtf8(file), error).lexically_normal();
  if (error) full = PathFromUtf8(file);
  const fs::path relative = full.lexically_relative(folder);
  const std::u8string text = (relative.empty() ? full : relative).generic_u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// The full path of a kept path.
std::string FullPath(const std::string& kept, const fs::path& folder) {
  fs::path path = PathFromUtf8(kept);
  if (path.is_relative()) path = folder / path;
  return Utf8FromPath(path.lexically_normal().make_preferred());
}

// The folder the project file lies in, as a full path.
fs::path FolderOf(const std::string& projectPath) {
  std::error_code error;
  fs::path full = fs::absolute(PathFromUtf8(projectPath), error);
  if (error) full = PathFromUtf8(projectPath);
  return full.lexically_normal().parent_path();
}

std::string Hex32(std::uint32_t value) { return FormatText("%08X", static_cast<unsigned>(value)); }

// Reads the values of one project file; the first value not understood
// ends the reading with its German reason.
class ProjectReader {
 public:
  ProjectReader(const ProfileFile& file, std::string path, fs::path folder)
      : file_(file), path_(std::move(path)), folder_(std::move(folder)) {}

  std::variant<Project, ProjectFileError> Read() {
    Project project;
    project.manufacturer = Required("Hersteller");
    project.device = Required("Baustein");
    const std::string burnFile = Required("Brenndatei");
    if (!burnFile.empty()) project.burnFile = FullPath(burnFile, folder_);
    project.burnFileCrc32 = Checksum("CRC32");
    const std::string companion = file_.GetString(kSection, "Begleitdatei", "");
    if (!companion.empty()) project.companionFile = FullPath(companion, folder_);
    project.companionCrc32 = Checksum("CRC32Begleitdatei");
    if (project.companionCrc32 && project.companionFile.empty()) Refuse("CRC32Begleitdatei", "ohne Begleitdatei");
    if (const auto value = Optional("InitRegister1")) {
      const auto byte = HexDigitsValue(*value, 2);
      if (!byte) Refuse("InitRegister1", *value);
      project.initRegister1 = static_cast<std::uint8_t>(byte.value_or(0));
    }
    project.verify = Switch("Verify");
    project.saveBlank = Switch("FFSave");
    project.checksum = Switch("TestChecksum");
    if (const auto value = Optional("DataFormat")) {
      const DataFormat format = DataFormatNamed(*value);
      if (format == DataFormat::Undecided) Refuse("DataFormat", *value);
      project.format = format;
    }
    if (const auto value = Optional("HexLineLen")) {
      std::uint32_t length = 0;
      if (!IsWholeUnsigned(*value, &length) || length < 16 || length > 255) Refuse("HexLineLen", *value);
      project.lineLength = length & 0xFEu;
    }
    if (file_.HasKey(kSerialSection, "Feld")) project.serial = Serial();
    if (!refusal_.empty()) return ProjectFileError{0, refusal_};
    return project;
  }

 private:
  void Refuse(const char* key, const std::string& value) {
    if (!refusal_.empty()) return;
    refusal_ = value.empty() ? FormatText("Die Projektdatei '%s' hat keinen Wert für %s.", path_.c_str(), key)
                             : FormatText("Die Projektdatei '%s' hat einen ungültigen Wert für %s: '%s'.",
                                          path_.c_str(), key, value.c_str());
  }

  std::optional<std::string> Optional(const char* key, const char* section = kSection) {
    if (!file_.HasKey(section, key)) return std::nullopt;
    return file_.GetString(section, key, "");
  }

  std::string Required(const char* key) {
    std::string value = file_.GetString(kSection, key, "");
    if (value.empty()) Refuse(key, "");
    return value;
  }

  std::optional<std::uint32_t> Checksum(const char* key) {
    const auto value = Optional(key);
    if (!value) return std::nullopt;
    const auto crc = HexDigitsValue(*value, 8);
    if (!crc) Refuse(key, *value);
    return crc;
  }

  std::optional<bool> Switch(const char* key, const char* section = kSection) {
    const auto value = Optional(key, section);
    if (!value) return std::nullopt;
    if (*value != "0" && *value != "1") Refuse(key, *value);
    return *value == "1";
  }

  std::uint32_t Whole(const char* key, std::uint32_t fallback, std::uint32_t low) {
    const auto value = Optional(key, kSerialSection);
    if (!value) return fallback;
    std::uint32_t number = 0;
    if (!IsWholeUnsigned(*value, &number) || number < low) Refuse(key, *value);
    return number;
  }

  ProjectSerial Serial() {
    ProjectSerial serial;
    serial.field = file_.GetString(kSerialSection, "Feld", "");
    if (serial.field.empty()) Refuse("Feld", "");
    serial.start = Whole("Start", 1, 0);
    serial.step = Whole("Schritt", 1, 1);
    serial.format = file_.GetString(kSerialSection, "Format", "le");
    if (serial.format != "le" && serial.format != "be" && serial.format != "bcd" && serial.format != "ascii") {
      Refuse("Format", serial.format);
    }
    const std::string counter = file_.GetString(kSerialSection, "Zaehlerdatei", "");
    if (!counter.empty()) serial.counterFile = FullPath(counter, folder_);
    serial.overwrite = Switch("Ueberschreiben", kSerialSection).value_or(false);
    return serial;
  }

  const ProfileFile& file_;
  std::string path_;
  fs::path folder_;
  std::string refusal_;
};

}  // namespace

std::variant<Project, ProjectFileError> ReadProjectFile(const std::string& path) {
  ProfileFile file(ProfileFile::Encoding::Utf8);
  switch (file.Load(path)) {
    case ProfileFile::LoadOutcome::Missing:
      return ProjectFileError{ENOENT, {}};
    case ProfileFile::LoadOutcome::Unreadable:
      return ProjectFileError{errno != 0 ? errno : EIO, {}};
    case ProfileFile::LoadOutcome::Loaded:
      break;
  }
  return ProjectReader(file, path, FolderOf(path)).Read();
}

SaveOutcome WriteProjectFile(const std::string& path, const Project& project) {
  const fs::path folder = FolderOf(path);
  ProfileFile file(ProfileFile::Encoding::Utf8);
  file.Parse(kHeading);
  const auto put = [&file](const char* key, const std::string& value) { file.WriteString(kSection, key, value); };
  const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  put("Hersteller", project.manufacturer);
  put("Baustein", project.device);
  put("Brenndatei", KeptPath(project.burnFile, folder));
  if (project.burnFileCrc32) put("CRC32", Hex32(*project.burnFileCrc32));
  if (!project.companionFile.empty()) {
    put("Begleitdatei", KeptPath(project.companionFile, folder));
    if (project.companionCrc32) put("CRC32Begleitdatei", Hex32(*project.companionCrc32));
  }
  if (project.initRegister1) put("InitRegister1", FormatText("0x%02X", static_cast<unsigned>(*project.initRegister1)));
  if (project.verify) put("Verify", flag(*project.verify));
  if (project.saveBlank) put("FFSave", flag(*project.saveBlank));
  if (project.checksum) put("TestChecksum", flag(*project.checksum));
  if (project.format) put("DataFormat", std::string(NameOfDataFormat(*project.format)));
  if (project.lineLength) put("HexLineLen", std::to_string(*project.lineLength));
  if (const auto& serial = project.serial) {
    const auto putSerial = [&file](const char* key, const std::string& value) {
      file.WriteString(kSerialSection, key, value);
    };
    putSerial("Feld", serial->field);
    putSerial("Start", std::to_string(serial->start));
    putSerial("Schritt", std::to_string(serial->step));
    putSerial("Format", serial->format);
    if (!serial->counterFile.empty()) putSerial("Zaehlerdatei", KeptPath(serial->counterFile, folder));
    putSerial("Ueberschreiben", flag(serial->overwrite));
  }
  return file.Save(path);
}

}  // namespace ferolith
