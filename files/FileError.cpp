#include "files/FileError.h"

#include "core/TextFormat.h"

namespace ferolith {

const std::array<const char*, 49> FileErrorTexts = {
    " ",                                            // 0
    "Ungültige Funktionsnummer",                    // 1
    "Datei oder Verzeichnis existiert nicht",       // 2
    "Pfad nicht gefunden",                          // 3
    "Zu viele Dateien offen",                       // 4
    "Zugriff verweigert",                           // 5
    "Ungültiges Dateihandle",                       // 6
    "Speicherblöcke zerstört",                      // 7
    "Zu wenig Speicher",                            // 8
    "Ungültige Speicherblockadresse",               // 9
    "Ungültiges Environment",                       // 10
    "Ungültiges Format",                            // 11
    "Ungültiger Zugriffscode",                      // 12
    "Ungültige Daten",                              // 13
    "Unbekannter Fehler",                           // 14
    "Ungültige Laufwerksangabe",                    // 15
    "Versuch das aktuelle Verzeichnis zu löschen",  // 16
    "Nicht das gleiche Gerät",                      // 17
    "Keine Dateien mehr",                           // 18
    "Ungültiges Argument",                          // 19
    "Argumentliste zu lang",                        // 20
    "Fehler beim EXEC-Format",                      // 21
    "Kreuzverbindung von Geräten",                  // 22
    "Zu viele Dateien offen",                       // 23
    "no child process",                             // 24
    "Unix only",                                    // 25
    "Unix only",                                    // 26
    "Unix only",                                    // 27
    "Kein Platz mehr auf dem Gerät",                // 28
    "Ungültiges SEEK-Kommando",                     // 29
    "Read only Dateisystem",                        // 30
    "Unix only",                                    // 31
    "Unterbrochene Pipeline",                       // 32
    "Mathe Argumentfehler",                         // 33
    "Ergebnis zu groß",                             // 34
    "Datei existiert schon",                        // 35
    "Datei ist verriegelt",                         // 36
    "Operation nicht erlaubt",                      // 37
    "Unix only",                                    // 38
    "Unterbrochener Funktionsaufruf",               // 39
    "Eingabe/Ausgabe Fehler",                       // 40
    "Gerät oder Adresse existiert nicht",           // 41
    "Resource zur Zeit nicht verfügbar",            // 42
    "Unix only",                                    // 43
    "Resource ist beschäftigt",                     // 44
    "Unix only",                                    // 45
    "Unix only",                                    // 46
    "Unix only",                                    // 47
    " ",                                            // 48
};

std::string FileErrorMessage(const std::string& path, int errorNumber) {
  std::string text = "Fehler beim Öffnen der Datei\n\n" + path + "\n\n";
  if (errorNumber >= 0 && static_cast<std::size_t>(errorNumber) < FileErrorTexts.size()) {
    text += FileErrorTexts[static_cast<std::size_t>(errorNumber)];
  } else {
    text += FormatText("Unbekannter Fehler Nr. %d", errorNumber);
  }
  return text;
}

void ShowFileError(UiServices& ui, const std::string& path, int errorNumber) {
  ui.MessageInfo(FileErrorMessage(path, errorNumber));
}

std::string NotAFileMessage(const std::string& path) {
  return "Fehler beim Öffnen der Datei\n\n" + path + "\n\nKeine gewöhnliche Datei (Verzeichnis oder Gerät)";
}

void ShowNotAFileError(UiServices& ui, const std::string& path) { ui.MessageInfo(NotAFileMessage(path)); }

std::string NotABurnFileMessage(const std::string& path) {
  return "Fehler beim Laden der Datei\n\n" + path +
         "\n\nDie Datei enthält Text, aber weder Intel-HEX- noch Motorola-S-Records.\n"
         "Sie wird nicht als Binärdatei geladen.";
}

}  // namespace ferolith
