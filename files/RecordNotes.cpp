#include "files/RecordNotes.h"

#include "core/TextFormat.h"

namespace ferolith {

namespace {

// A record line is at most 521 characters; the warning shows its start.
constexpr std::size_t kShownLineChars = 48;

}  // namespace

RecordStore::RecordStore(MemoryImage& image, RecordNotes& notes)
    : image_(image), notes_(notes), writtenBy_(MemoryImage::kSize, 0) {}

void RecordStore::Store(std::uint64_t address, std::uint8_t value, std::uint32_t lineNumber) {
  if (address < MemoryImage::kSize) {
    const auto at = static_cast<std::size_t>(address);
    const std::uint32_t before = writtenBy_[at];
    if (before != 0 && image_.bytes[at] != value) {
      if (!notes_.firstOverwrite) {
        notes_.firstOverwrite =
            RecordNotes::Overwrite{static_cast<std::uint32_t>(address), before, image_.bytes[at], lineNumber, value};
      }
      ++notes_.overwrites;
    }
    writtenBy_[at] = lineNumber;
  }
  image_.StoreWide(address, value);
}

std::vector<std::string> RecordWarnings(const std::string& path, const RecordNotes& notes) {
  std::vector<std::string> warnings;
  if (!notes.endRecord) {
    std::string shown = notes.lastLineText.substr(0, kShownLineChars);
    if (notes.lastLineText.size() > kShownLineChars) shown += "...";
    warnings.push_back(FormatText("Die Datei '%s' endet ohne Ende-Record, vielleicht ist sie unvollständig; "
                                  "zuletzt gelesen: Zeile %lu \"%s\"",
                                  path.c_str(), static_cast<unsigned long>(notes.lastLine), shown.c_str()));
  }
  if (const auto& overwrite = notes.firstOverwrite) {
    std::string text = FormatText(
        "Die Datei '%s' beschreibt Adresse 0x%04lX zweimal: Zeile %lu mit 0x%02X, Zeile %lu mit 0x%02X, "
        "die zweite gilt",
        path.c_str(), static_cast<unsigned long>(overwrite->address), static_cast<unsigned long>(overwrite->firstLine),
        static_cast<unsigned>(overwrite->firstValue), static_cast<unsigned long>(overwrite->line),
        static_cast<unsigned>(overwrite->value));
    if (notes.overwrites > 1) {
      text += FormatText(" (%lu Bytes überschrieben)", static_cast<unsigned long>(notes.overwrites));
    }
    warnings.push_back(text);
  }
  return warnings;
}

}  // namespace ferolith
