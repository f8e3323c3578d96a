#include "files/HexReaderMessages.h"

#include "core/TextFormat.h"

namespace ferolith {

void ShowLineStartError(UiServices& ui, std::uint32_t lineNumber) {
  ui.MessageInfo(FormatText("Zeilenanfang in Zeile %lu\nder Hex-Datei nicht gefunden !",
                            static_cast<unsigned long>(lineNumber)));
}

void ShowLineLengthError(UiServices& ui, std::uint32_t lineNumber, std::uint32_t actual,
                         std::uint32_t expected) {
  ui.MessageInfo(FormatText("Länge der HEX-Zeile %lu stimmt nicht !\n\nGelesen %lu\nBerechnet %lu\n",
                            static_cast<unsigned long>(lineNumber),
                            static_cast<unsigned long>(actual),
                            static_cast<unsigned long>(expected)));
}

void ShowChecksumError(UiServices& ui, std::uint32_t lineNumber, std::uint32_t read,
                       std::uint32_t computed) {
  ui.MessageInfo(FormatText("Prüfsumme der HEX-Zeile %lu stimmt nicht !\n\nGelesen 0x%04X\nBerechnet 0x%04X\n",
                            static_cast<unsigned long>(lineNumber), read, computed));
}

}  // namespace ferolith
