#include "config/DeviceLibrary.h"

#include <cstdint>

#include "config/DeviceLineParser.h"
#include "config/LibraryLine.h"
#include "core/PathParts.h"
#include "platform/Files.h"

namespace ferolith {

namespace {

constexpr const char* kLibraryFileName = "ACELIST.CSV";

// Closes the library when an operation returns, on every path.
class LibraryCloser {
 public:
  explicit LibraryCloser(DeviceLibrary& library) : library_(library) {}
  ~LibraryCloser() { library_.CloseLibrary(); }
  LibraryCloser(const LibraryCloser&) = delete;
  LibraryCloser& operator=(const LibraryCloser&) = delete;

 private:
  DeviceLibrary& library_;
};

}  // namespace

std::string DeviceLibrary::LibraryPath() const {
  const PathParts ini = SplitPath(settings_.IniPath);
  return ini.drive + ini.directory + kLibraryFileName;
}

ResultCode DeviceLibrary::OpenLibrary() {
  CloseLibrary();
  file_ = OpenFile(LibraryPath(), "rb");
  if (file_ == nullptr) {
    ui_.MessageInfo("Kann Bauteilbibliothek nicht öffnen !\n\n" + LibraryPath());
    return Result::LibraryError;
  }
  reader_.emplace(file_);
  return Result::Ok;
}

void DeviceLibrary::CloseLibrary() {
  reader_.reset();
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

bool DeviceLibrary::ReadLine(std::string& line) {
  if (!reader_ || !reader_->ReadLine(line)) return false;
  // The line is text: a NUL byte ends it.
  const std::size_t nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  return true;
}

ResultCode DeviceLibrary::SeekManufacturer() {
  std::int64_t counter = -1;
  std::string line;
  while (ReadLine(line)) {
    if (IsManufacturerLine(line) && RecordFlagCounts(line)) {
      ++counter;
      if (counter == settings_.ManufIndex) return Result::Ok;
    }
  }
  ui_.MessageInfo("Hersteller in Bibliothek nicht gefunden !");
  return Result::LibraryError;
}

ResultCode DeviceLibrary::NextManufacturerName(std::string& name) {
  std::string line;
  while (ReadLine(line)) {
    if (IsManufacturerLine(line) && RecordFlagCounts(line)) {
      name = ManufacturerName(line);
      return Result::Ok;
    }
  }
  return Result::EndOfList;
}

ResultCode DeviceLibrary::NextDeviceLine() {
  std::string line;
  while (ReadLine(line)) {
    if (IsManufacturerLine(line)) return Result::EndOfList;
    if (RecordFlagCounts(line)) return ParseDeviceLine(line);
  }
  return Result::EndOfList;
}

DeviceLineContext DeviceLibrary::LineContext() const {
  return {LibraryPath(), static_cast<std::uint32_t>(settings_.TimeBaseKorr)};
}

ResultCode DeviceLibrary::ParseDeviceLine(std::string_view line) {
  return ferolith::ParseDeviceLine(line, LineContext(), device_, ui_);
}

bool DeviceLibrary::IsListedDeviceLine(std::string_view line) const {
  if (IsManufacturerLine(line) || !RecordFlagCounts(line)) return false;
  // The same parse the list fill runs, into a scratch record and without
  // its message: the device list shows exactly the lines that pass.
  DeviceEntry scratch;
  std::string message;
  return ferolith::ParseDeviceLine(line, LineContext(), scratch, message) == Result::Ok;
}

ResultCode DeviceLibrary::FillManufacturerList(ChoiceList& manufacturers) {
  std::int64_t added = 0;
  const bool opened = OpenLibrary() == Result::Ok;
  if (opened) {
    LibraryCloser closer(*this);
    std::string name;
    while (NextManufacturerName(name) == Result::Ok) {
      manufacturers.Add(name);
      ++added;
    }
    if (settings_.ManufIndex > added - 1) settings_.ManufIndex = 0;
  }
  if (added == 0) manufacturers.Add("Keine Hersteller");
  manufacturers.Select(settings_.ManufIndex);
  if (!opened) return Result::LibraryError;
  return added == 0 ? Result::EndOfList : Result::Ok;
}

ResultCode DeviceLibrary::FillDeviceList(ChoiceList& devices) {
  devices.Clear();
  std::int64_t added = 0;
  if (OpenLibrary() == Result::Ok) {
    LibraryCloser closer(*this);
    // After a failed seek the file stands at its end, so nothing is added.
    SeekManufacturer();
    ResultCode result = Result::Ok;
    while ((result = NextDeviceLine()) != Result::EndOfList) {
      if (result != Result::Ok) continue;  // an invalid or short line stays out of the list
      devices.Add(device_.Name);
      ++added;
    }
    if (settings_.DeviceIndex > added - 1) settings_.DeviceIndex = 0;
  }
  if (added == 0) devices.Add("Keine Bausteine");
  devices.Select(settings_.DeviceIndex);
  return added == 0 ? Result::EndOfList : Result::Ok;
}

ResultCode DeviceLibrary::LoadSelectedDevice() {
  if (OpenLibrary() != Result::Ok) return Result::LibraryError;
  std::string line;
  {
    LibraryCloser closer(*this);
    if (SeekManufacturer() != Result::Ok) return Result::LibraryError;
    std::int64_t counter = -1;
    while (true) {
      if (!ReadLine(line)) {
        ui_.MessageInfo("Fehler beim lesen der Bibliothek !");
        return Result::LibraryError;
      }
      if (IsManufacturerLine(line)) {
        ui_.MessageInfo("Keine Bausteine für diesen\n\n Hersteller in der Liste !");
        return Result::LibraryError;
      }
      if (IsListedDeviceLine(line) && ++counter == settings_.DeviceIndex) break;
    }
  }
  return ParseDeviceLine(line) == Result::Ok ? Result::Ok : Result::LibraryError;
}

ResultCode DeviceLibrary::OnManufacturerChanged(const ChoiceList& manufacturers,
                                                ChoiceList& devices) {
  settings_.ManufIndex = manufacturers.Selected();
  return FillDeviceList(devices);
}

void DeviceLibrary::OnDeviceChanged(const ChoiceList& devices) {
  settings_.DeviceIndex = devices.Selected();
  LoadSelectedDevice();
}

}  // namespace ferolith
