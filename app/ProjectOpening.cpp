#include "app/ProjectOpening.h"

#include <cctype>
#include <string_view>

#include "app/ListEntry.h"
#include "config/ChoiceList.h"
#include "config/DeviceLibrary.h"
#include "core/TextFormat.h"
#include "files/FileError.h"

namespace ferolith {

bool IsProjectFileName(const std::string& path) {
  const std::string_view extension = kProjectExtension;
  if (path.size() <= extension.size()) return false;
  const std::string_view end = std::string_view(path).substr(path.size() - extension.size());
  for (std::size_t i = 0; i < end.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(end[i])) != extension[i]) return false;
  }
  return true;
}

std::optional<Project> ReadProjectOrExplain(const std::string& path, UiServices& ui) {
  auto read = ReadProjectFile(path);
  if (Project* project = std::get_if<Project>(&read)) return std::move(*project);
  const ProjectFileError& error = std::get<ProjectFileError>(read);
  ui.MessageInfo(error.error != 0 ? "Die Projektdatei kann nicht gelesen werden.\n\n" +
                                        FileErrorMessage(path, error.error)
                                  : error.text);
  return std::nullopt;
}

bool SelectProjectDevice(const std::string& path, const Project& project, DeviceLibrary& library,
                         Settings& settings, UiServices& ui) {
  const std::int32_t manufacturerBefore = settings.ManufIndex;
  const std::int32_t deviceBefore = settings.DeviceIndex;
  const auto refuse = [&](const std::string& text) {
    settings.ManufIndex = manufacturerBefore;
    settings.DeviceIndex = deviceBefore;
    ui.MessageInfo(text);
    return false;
  };
  MemoryChoiceList manufacturers;
  if (library.FillManufacturerList(manufacturers) != Result::Ok) {
    return refuse(FormatText("Das Projekt '%s' kann ohne Bauteilbibliothek nicht geöffnet werden.", path.c_str()));
  }
  const int manufacturer = EntryNamed(manufacturers.Names(), project.manufacturer);
  if (manufacturer < 0) {
    return refuse(FormatText("Das Projekt '%s' nennt den Hersteller '%s',\nden die Bauteilbibliothek nicht kennt.",
                             path.c_str(), project.manufacturer.c_str()));
  }
  settings.ManufIndex = manufacturer;
  MemoryChoiceList devices;
  const int device = library.FillDeviceList(devices) == Result::Ok ? EntryNamed(devices.Names(), project.device) : -1;
  if (device < 0) {
    return refuse(FormatText("Das Projekt '%s' nennt den Baustein '%s',\nden der Hersteller '%s' in der "
                             "Bauteilbibliothek nicht hat.",
                             path.c_str(), project.device.c_str(), manufacturers.Names()[static_cast<std::size_t>(manufacturer)].c_str()));
  }
  settings.DeviceIndex = device;
  return true;
}

}  // namespace ferolith
