#include "config/DeviceLineParser.h"

#include "config/LibraryLine.h"
#include "core/AccessCount.h"
#include "core/DataFormat.h"
#include "core/NumberText.h"
#include "core/TextFormat.h"

namespace ferolith {

namespace {

constexpr std::uint32_t kMaxProgMillivolts = 25500;
constexpr std::uint32_t kMaxOperMillivolts = 12750;
constexpr std::uint64_t kAddressSpace = 0x10000;

// Reads the columns of one line and reports the first fault.
class DeviceLineParse {
 public:
  DeviceLineParse(std::string_view line, const DeviceLineContext& context, DeviceEntry& entry,
                  std::string& message)
      : fields_(line), context_(context), entry_(entry), message_(message) {}

  ResultCode Run();

 private:
  bool Next(std::string& text) { return fields_.NextField(text) == Result::Ok; }
  bool NextNumber(std::uint32_t& value);
  // The message headed by the device name and naming the library.
  ResultCode Invalid(const char* what);
  // The message for a memory area that reaches past 64 KiB.
  ResultCode TooLarge(MemoryArea area);

  FieldReader fields_;
  const DeviceLineContext& context_;
  DeviceEntry& entry_;
  std::string& message_;
};

bool DeviceLineParse::NextNumber(std::uint32_t& value) {
  std::string text;
  if (!Next(text)) return false;
  value = ParseUnsignedAutoBase(text);
  return true;
}

ResultCode DeviceLineParse::Invalid(const char* what) {
  message_ = entry_.Name + "\n\n" + what + "\n\n in '" + context_.libraryPath + "' Datei";
  return Result::InvalidDeviceLine;
}

ResultCode DeviceLineParse::TooLarge(MemoryArea area) {
  const auto size = static_cast<long>(kAddressSpace);
  const auto sizeHex = static_cast<unsigned long>(kAddressSpace);
  const char* name = entry_.Name.c_str();
  message_ = area == MemoryArea::ProgramMemory
                 ? FormatText("%s\n\nProgrammspeicher überschreitet %ld (0x%lX) Bytes!!\n\n"
                              "Bausteine dieser Größe werden nicht unterstützt !!\n",
                              name, size, sizeHex)
                 : FormatText("%s\n\nDatenspeicher überschreitet %ld (0x%lX) Bytes!!\n\n"
                              "Bausteine dieser Größe werden nicht unterstützt !!\n",
                              name, size, sizeHex);
  return Result::InvalidDeviceLine;
}

ResultCode DeviceLineParse::Run() {
  if (!Next(entry_.Name)) return Result::LibraryError;

  std::string package;
  if (!Next(package)) return Result::LibraryError;
  if (package == "DIP8") {
    entry_.Package = 8;
  } else if (package == "DIP14") {
    entry_.Package = 14;
  } else {
    return Invalid("Unbekannte Gehäuseform");
  }

  std::uint32_t progMillivolts = 0;
  if (!NextNumber(progMillivolts)) return Result::LibraryError;
  if (progMillivolts > kMaxProgMillivolts) return Invalid("Die Programmierspannung ist zu groß !!");
  if (progMillivolts == 0) return Invalid("Die Programmierspannung ist 0 !!");
  entry_.ProgVoltageCode = static_cast<std::uint8_t>(progMillivolts / 100);

  std::uint32_t operMillivolts = 0;
  if (!NextNumber(operMillivolts)) return Result::LibraryError;
  if (operMillivolts > kMaxOperMillivolts) {
    return Invalid("Die Betriebsspannung im\nProgrammiermodus ist zu groß !!");
  }
  if (operMillivolts == 0) return Invalid("Die Betriebsspannung im\nProgrammiermodus ist 0 !!");
  entry_.OperVoltageCode = static_cast<std::uint8_t>(operMillivolts / 50);

  std::uint32_t progTime = 0;
  if (!NextNumber(progTime)) return Result::LibraryError;
  entry_.MaxProgPolls = progTime <= 1 ? progTime : AccessCount(progTime, context_.timeBaseKorr);

  if (!NextNumber(entry_.CodeStart) || !NextNumber(entry_.CodeSize)) return Result::LibraryError;
  entry_.CodeEnd = entry_.CodeStart + entry_.CodeSize;
  // The sum is checked without wrapping: a start near 2^32 must not come
  // back as a small end address that passes.
  if (std::uint64_t{entry_.CodeStart} + entry_.CodeSize > kAddressSpace) {
    return TooLarge(MemoryArea::ProgramMemory);
  }
  if (entry_.CodeEnd == 0) {
    message_ = FormatText("%s\n\nProgrammspeicher ist 0 !!\n\n in %s", entry_.Name.c_str(),
                          context_.libraryPath.c_str());
    return Result::InvalidDeviceLine;
  }

  if (!NextNumber(entry_.DataStart) || !NextNumber(entry_.DataSize)) return Result::LibraryError;
  entry_.DataEnd = entry_.DataStart + entry_.DataSize;
  if (std::uint64_t{entry_.DataStart} + entry_.DataSize > kAddressSpace) {
    return TooLarge(MemoryArea::DataEeprom);
  }

  if (!NextNumber(entry_.InitRegister1Address)) return Result::LibraryError;
  // The address goes into the low 16 bits of the chip's command words; any
  // higher bit would change the command byte (a read would become a write).
  if (entry_.InitRegister1Address >= kAddressSpace) {
    return Invalid("Die Adresse des InitRegister1 ist zu groß !!");
  }

  entry_.ChipType = 0;
  std::string chipType;
  if (!Next(chipType)) return Result::LibraryError;
  if (chipType == "ACE11") {
    entry_.ChipType = ChipTypeCode::ACE11;
  } else if (chipType == "ACE12") {
    entry_.ChipType = ChipTypeCode::ACE12;
  } else {
    return Invalid("Unbekannter Chip-Typ");
  }
  return Result::Ok;
}

}  // namespace

ResultCode ParseDeviceLine(std::string_view line, const DeviceLineContext& context,
                           DeviceEntry& entry, std::string& message) {
  message.clear();
  return DeviceLineParse(line, context, entry, message).Run();
}

ResultCode ParseDeviceLine(std::string_view line, const DeviceLineContext& context,
                           DeviceEntry& entry, UiServices& ui) {
  std::string message;
  const ResultCode result = ParseDeviceLine(line, context, entry, message);
  if (!message.empty()) ui.MessageInfo(message);
  return result;
}

}  // namespace ferolith
