#include "files/FileError.h"

#include <cerrno>

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

int FileErrorTextIndex(int errorNumber) {
  // The table's numbers are those of the runtime the family's programs were
  // built with; this system's runtime numbers the same errors differently
  // (EACCES is 13 here, which the table calls "Ungültige Daten"), so each
  // error is looked up by its meaning.
  switch (errorNumber) {
    case 0: return 0;
    case ENOENT: return 2;
    case EMFILE: return 4;
    case EACCES: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EINVAL: return 19;
    case E2BIG: return 20;
    case ENOEXEC: return 21;
    case EXDEV: return 22;
    case ENFILE: return 23;
    case ECHILD: return 24;
    case ENOTTY: return 25;
#ifdef ETXTBSY
    case ETXTBSY: return 26;
#endif
    case EFBIG: return 27;
    case ENOSPC: return 28;
    case ESPIPE: return 29;
    case EROFS: return 30;
    case EMLINK: return 31;
    case EPIPE: return 32;
    case EDOM: return 33;
    case ERANGE: return 34;
    case EEXIST: return 35;
    case EDEADLK: return 36;
    case EPERM: return 37;
    case ESRCH: return 38;
    case EINTR: return 39;
    case EIO: return 40;
    case ENXIO: return 41;
    case EAGAIN: return 42;
#ifdef ENOTBLK
    case ENOTBLK: return 43;
#endif
    case EBUSY: return 44;
    case ENOTDIR: return 45;
    case EISDIR: return 46;
    default: return -1;
  }
}

std::string FileErrorMessage(const std::string& path, int errorNumber) {
  std::string text = "Fehler beim Öffnen der Datei\n\n" + path + "\n\n";
  const int index = FileErrorTextIndex(errorNumber);
  if (index >= 0) {
    text += FileErrorTexts[static_cast<std::size_t>(index)];
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
