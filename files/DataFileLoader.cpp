#include "files/DataFileLoader.h"

#include <algorithm>
#include <cerrno>

#include "core/TextFormat.h"
#include "core/TextLineReader.h"
#include "files/FileError.h"
#include "files/FormatDetection.h"
#include "files/IntelHexReader.h"
#include "files/MotorolaReader.h"
#include "platform/Files.h"

namespace ferolith {

namespace {

// Opens a file for reading. Text and binary mode read alike here: the line
// reader turns CR LF into LF itself.
std::FILE* OpenForReading(const std::string& path) { return OpenFile(path, "rb"); }

// True when `path` exists and is something other than a regular file.
// Opening a pipe could block for ever and a device may never end, so such
// paths are refused before they are opened.
bool IsSpecialFile(const std::string& path) {
  FileStatus status;
  return SystemFileOps().Inspect(path, status) == 0 && status.targetExists &&
         status.kind != FileStatus::Kind::Regular;
}

}  // namespace

DataFormat DataFileLoader::DetectFileFormat(const std::string& path, bool quiet, bool* missing) {
  settings_.DataFormat = DataFormat::Undecided;
  if (missing != nullptr) *missing = false;
  if (IsSpecialFile(path)) {
    ShowNotAFileError(ui_, path);
    return DataFormat::Undecided;
  }
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) {
    const int error = errno;
    if (missing != nullptr) *missing = error == ENOENT;
    if (!quiet || error != ENOENT) ShowFileError(ui_, path, error);
    return DataFormat::Undecided;
  }
  TextLineReader lines(file);
  const DataFormat format = DetectFormat(lines);
  std::fclose(file);
  if (format == DataFormat::Undecided) {
    // Text of neither HEX format: loading it as a binary image would burn
    // its characters into the chip.
    ui_.MessageInfo(NotABurnFileMessage(path));
    return DataFormat::Undecided;
  }
  settings_.DataFormat = format;
  return format;
}

ResultCode DataFileLoader::LoadDataFile(const std::string& path, MemoryArea area) {
  return Load(path, area, false, nullptr);
}

DataFileLoader::Companion DataFileLoader::LoadCompanionFile(const std::string& path) {
  bool missing = false;
  if (Load(path, MemoryArea::DataEeprom, true, &missing) == Result::Ok) return Companion::Loaded;
  return missing ? Companion::Absent : Companion::Failed;
}

ResultCode DataFileLoader::Load(const std::string& path, MemoryArea area, bool quietIfMissing,
                                bool* missing) {
  image_.byteCount = 0;
  const bool program = area == MemoryArea::ProgramMemory;
  const DataFormat format = DetectFileFormat(path, quietIfMissing, missing);
  if (format == DataFormat::Undecided) return Result::FileNotLoaded;

  CloseLoadFile();
  loadFile_ = OpenForReading(path);
  if (loadFile_ == nullptr) {
    ShowFileError(ui_, path, errno);
    return Result::FileNotLoaded;
  }
  loadPath_ = path;
  image_.FillBlank();

  ResultCode result = Result::Ok;
  const bool records = format != DataFormat::Binary;
  RecordNotes notes;
  if (records) {
    TextLineReader lines(loadFile_);
    const bool testChecksum = settings_.TestChecksum != 0;
    result = format <= DataFormat::IntelMCS ? ReadIntelHexFile(lines, image_, ui_, testChecksum, notes)
                                            : ReadMotorolaFile(lines, image_, ui_, testChecksum, notes);
  } else {
    result = program ? LoadBinaryFile(device_.CodeStart, device_.CodeEnd)
                     : LoadBinaryFile(device_.DataStart, device_.DataEnd);
  }
  if (result == Result::Ok && !InsideRange(area)) result = Result::FileNotLoaded;
  CloseLoadFile();
  // Told only about a file that is going to be used.
  if (result == Result::Ok && records) {
    for (const std::string& warning : RecordWarnings(path, notes)) ui_.Warning(warning);
  }
  return result == Result::Ok ? Result::Ok : Result::FileNotLoaded;
}

ResultCode DataFileLoader::LoadBinaryFile(std::uint32_t areaStart, std::uint32_t areaEnd) {
  image_.lowestAddress = 0;
  const long long size = FileLength(loadFile_);
  if (size < 0) {
    ShowFileError(ui_, loadPath_, errno);
    return Result::FileNotLoaded;
  }
  const auto length = static_cast<unsigned long long>(size);
  if (length > areaEnd) {
    ui_.MessageInfo(FormatText(
        "Zuviele Daten für diesen Baustein !\n\nMaximale Anzahl Bytes: %lu\nAnzahl Bytes in Brenndatei: %lu\n",
        static_cast<unsigned long>(areaEnd), static_cast<unsigned long>(length)));
    return Result::FileNotLoaded;
  }
  const std::size_t read = std::fread(image_.bytes.data(), 1, image_.bytes.size(), loadFile_);
  if (read == 0) {
    // An empty file has no error number of its own.
    ShowFileError(ui_, loadPath_, std::ferror(loadFile_) ? errno : 0);
    return Result::FileNotLoaded;
  }
  image_.byteCount = static_cast<std::uint32_t>(read);
  image_.highestAddress = image_.byteCount - 1;
  SkipBlankFillBelow(areaStart);
  return Result::Ok;
}

void DataFileLoader::SkipBlankFillBelow(std::uint32_t areaStart) {
  // A binary file starts at address 0, so a read-out of an area above 0
  // writes the cells below it as 0xFF. Those bytes are no data: the area's
  // data begin at its start. A byte below the start that is not blank is
  // data, and the range check refuses it at its own address.
  const std::uint32_t below = std::min(areaStart, image_.byteCount);
  for (std::uint32_t address = 0; address < below; ++address) {
    if (image_.bytes[address] != 0xFF) {
      image_.lowestAddress = address;
      return;
    }
  }
  if (below == 0) return;
  if (image_.byteCount > areaStart) {
    image_.lowestAddress = areaStart;
    image_.byteCount -= areaStart;
  } else {
    image_.StartCounting();  // nothing but blank fill: a file without data
  }
}

bool DataFileLoader::InsideRange(MemoryArea area) {
  const bool program = area == MemoryArea::ProgramMemory;
  const std::uint32_t start = program ? device_.CodeStart : device_.DataStart;
  const std::uint32_t end = program ? device_.CodeEnd : device_.DataEnd;
  if (image_.lowestAddress < start) {
    ui_.MessageInfo(FormatText(
        program ? "Adresse außerhalb des Programmdatenbereichs !\n\nKleinste erlaubte Adresse: %lu\nKleinste gefundene Adresse: %lu\n"
                : "Adresse außerhalb des EEPROM-Datenbereichs !\n\nKleinste erlaubte Adresse: %lu\nKleinste gefundene Adresse: %lu\n",
        static_cast<unsigned long>(start), static_cast<unsigned long>(image_.lowestAddress)));
    return false;
  }
  if (image_.highestAddress >= end && end <= start) {
    // An area without cells has no highest allowed address to show.
    ui_.MessageInfo(FormatText(
        program ? "Zuviele Programmdaten für diesen Controller-Typ !\n\nDer Baustein hat keinen Programmspeicher.\nGelesen: %lu Bytes\n"
                : "Zuviele EEpromdaten für diesen Controller-Typ !\n\nDer Baustein hat keinen EEPROM-Datenspeicher.\nGelesen: %lu Bytes\n",
        static_cast<unsigned long>(image_.byteCount)));
    return false;
  }
  if (image_.highestAddress >= end) {
    ui_.MessageInfo(FormatText(
        program ? "Zuviele Programmdaten für diesen Controller-Typ !\n\nErlaubt: %lu Bytes\nGelesen: %lu Bytes\n\nHöchste erlaubte Adresse: %lu\nHöchste gefundene Adresse: %lu\n"
                : "Zuviele EEpromdaten für diesen Controller-Typ !\n\nErlaubt: %lu Bytes\nGelesen: %lu Bytes\n\nHöchste erlaubte Adresse: %lu\nHöchste gefundene Adresse: %lu\n",
        static_cast<unsigned long>(end), static_cast<unsigned long>(image_.byteCount),
        static_cast<unsigned long>(end - 1), static_cast<unsigned long>(image_.highestAddress)));
    return false;
  }
  return true;
}

void DataFileLoader::CloseLoadFile() {
  if (loadFile_ != nullptr) std::fclose(loadFile_);
  loadFile_ = nullptr;
}

}  // namespace ferolith
