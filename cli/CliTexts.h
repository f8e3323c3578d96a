#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Every text that ferolith-cli shows of its own, in German: the help page,
// the usage errors, --version and the questions on the terminal. The
// program's messages ("Meldung: ...") come from the layers below. Option
// and command names are not translated: scripts use them.
//
// A new option or command gets its line in kOptionTexts or kCommandTexts;
// registering one without a line here fails at once (ParseCommandLine
// throws), so the help page cannot miss it.

namespace ferolith::cli::texts {

struct OptionText {
  std::string_view names;  // as registered: "-y,--yes", "--verify,!--no-verify"
  std::string_view value;  // what follows the name in the help page, "" for a switch
  std::string_view help;
};

struct CommandText {
  std::string_view name;
  std::string_view arguments;     // as the help page shows them: "DATEI", "[WERT]", ""
  std::string_view help;
  std::string_view argumentHelp;  // the arguments' line in the command's own help
};

inline constexpr OptionText kOptionTexts[] = {
    {"-h,--help", "", "diese Hilfe zeigen (nach einem Befehl: die Hilfe des Befehls)"},
    {"--version", "", "Version und die Zugänge zum Programmiergerät zeigen"},
    {"--simulate", "[=DATEI]",
     "virtuelles Programmiergerät mit virtuellem Chip; DATEI hebt den Chip zwischen den Läufen auf"},
    {"--simulate-absent", "MODELL",
     "simulieren, aber ohne Programmiergerät; der Port liest sich wie MODELL: high (0xFF), "
     "busy-inverted (0x7F, Eingänge mit Pull-up) oder low (0x80, Eingänge auf Masse)"},
    {"--simulate-empty-socket", "", "simulieren, aber ohne Baustein im Sockel"},
    {"--simulate-stuck-low", "MASKE",
     "simulieren mit Eingangsleitungen, die immer 0 lesen (Bit i = Leitung i, ein Byte in Hex)"},
    {"--simulate-stuck-high", "MASKE",
     "simulieren mit Eingangsleitungen, die immer 1 lesen (Bit i = Leitung i, ein Byte in Hex)"},
    {"--simulate-speed", "real|fast|FAKTOR",
     "simulieren im Takt des echten Programmiergeräts (real: ein Registerzugriff dauert "
     "TimeBaseKorr µs), FAKTOR-mal so schnell wie real, oder so schnell wie möglich (fast, "
     "Vorgabe)"},
    {"--trace", "DATEI",
     "jeden Portzugriff als Value Change Dump (VCD) in DATEI schreiben, lesbar mit sigrok-cli, "
     "PulseView und GTKWave"},
    {"--manufacturer", "NAME|NR", "Hersteller nach Name oder Nummer ab 0 wählen (sonst ManufIndex)"},
    {"--device", "NAME|NR",
     "Baustein des Herstellers nach Name oder Nummer ab 0 wählen (sonst DeviceIndex)"},
    {"-y,--yes", "",
     "Sockelanweisungen und Rückfragen mit OK beantworten, auch die nach dem Schreibschutz"},
    {"--on-error", "retry|cancel",
     "Antwort auf Fehler an einer Adresse: retry = Wiederholen (weiter mit der nächsten "
     "Adresse), cancel = Abbrechen (Vorgabe)"},
    {"--verify,!--no-verify", "",
     "nach dem Brennen prüfen oder nicht (statt Verify); bei read jeden Bereich zweimal lesen "
     "und nur speichern, wenn beide Durchgänge gleich sind"},
    {"--save-blank,!--no-save-blank", "",
     "Leerzellen in Auslesedateien schreiben oder nicht (statt FFSave)"},
    {"--checksum,!--no-checksum", "",
     "Prüfsummen der HEX-Zeilen prüfen oder nicht (statt TestChecksum)"},
    {"--line-length", "N",
     "Datenbytes je HEX-Zeile, 16 bis 255, auf eine gerade Zahl abgerundet (statt HexLineLen)"},
    {"--format", "FORMAT",
     "Format für read und convert: bin, intel8, intel32, intelmcs, s1, s2, s3 (sonst DataFormat)"},
    {"--area", "code|data",
     "Speicherbereich für convert: code = Programmspeicher (Vorgabe), data = Daten-EEPROM"},
    {"-q,--quiet", "", "keinen Fortschrittsbalken zeigen"},
    {"--repeat", "",
     "program: einen Baustein nach dem anderen brennen; nach jedem auf Enter warten (q oder "
     "Ende der Eingabe beendet die Serie)"},
    {"--keep-going", "", "mit --repeat nach einem fehlgeschlagenen Baustein weitermachen"},
    {"--log", "DATEI",
     "program: je Baustein eine CSV-Zeile an DATEI anhängen (Zeit, Baustein, Brenndatei, "
     "CRC-32 je Bereich, Ergebnis)"},
    {"--serial", "BEREICH:ADRESSE:BREITE",
     "program: jedem Baustein eine Seriennummer in BREITE (1 bis 4) Bytes ab ADRESSE "
     "(dezimal oder 0x-hex) im BEREICH code oder data geben; sie steht in der Ergebniszeile "
     "und im Protokoll"},
    {"--serial-start", "N", "erste Seriennummer (Vorgabe 1; mit --serial-file nur für einen neuen Zähler)"},
    {"--serial-step", "N", "Abstand der Seriennummern (Vorgabe 1)"},
    {"--serial-format", "le|be|bcd|ascii",
     "Seriennummer binär mit dem niedrigsten (le, Vorgabe) oder höchsten Byte zuerst (be), "
     "gepackt BCD oder als ASCII-Ziffern"},
    {"--serial-file", "DATEI",
     "Zähler der Seriennummern in DATEI: vor jedem Baustein gesperrt weitergezählt und auf die "
     "Platte geschrieben, so dass keine Nummer zweimal vergeben wird, auch nicht über Läufe, "
     "Abstürze und mehrere Prozesse hinweg"},
    {"--serial-overwrite", "", "die Seriennummer darf Daten der Brenndatei überschreiben"},
    {"--only-changed", "",
     "program: jeden Bereich erst lesen, nur die Zellen brennen, die sich von der Datei "
     "unterscheiden, und nur diese danach prüfen"},
    {"--port", "ADRESSE",
     "Basisadresse der Schnittstelle für diesen Lauf (hex, etwa 0x278) statt PortAdress, ohne "
     "KALVENOR.INI zu ändern; jede Schnittstelle hat ihre eigene Belegt-Marke, so laufen "
     "mehrere Programmiergeräte zugleich"},
    {"--project", "DATEI",
     "die Werte der Projektdatei (Baustein, Brenndatei, InitRegister1, Optionen, Seriennummer) "
     "statt der von KALVENOR.INI nehmen, ohne KALVENOR.INI zu ändern; Optionen des Aufrufs "
     "gehen vor"},
    {"--accept-changed-file", "",
     "die Brenndatei des Projekts (--project) auch nehmen, wenn die CRC-32 ihres Abbilds "
     "nicht mehr die gespeicherte ist"},
    {"-l,--long", "",
     "devices: je Baustein eine Zeile mit Tabulatoren (Hersteller-Nr, Hersteller, Nr, Name, "
     "Gehäuse, Chip-Typ, Programmspeicher und Größe, Daten-EEPROM und Größe, "
     "InitRegister1-Adresse)"},
};

inline constexpr CommandText kCommandTexts[] = {
    {"devices", "", "Hersteller und ihre Bausteine auflisten (* markiert die Auswahl)", ""},
    {"detect", "", "das Programmiergerät suchen", ""},
    {"probe", "",
     "die Schnittstelle prüfen: Schnittstellen des Rechners, gewählter Zugang, Statusbyte, "
     "ein Handshake und die Rückschleife Leitung für Leitung",
     ""},
    {"blank", "", "Leertest von Programmspeicher und Daten-EEPROM (\"Leertest\")", ""},
    {"program", "[DATEI]",
     "DATEI und ihre Begleitdatei .rex brennen, danach InitRegister1 (\"Brennen\"); ohne DATEI "
     "die Brenndatei von --project",
     "Brenndatei: binär, Intel-HEX oder Motorola-S-Records"},
    {"verify", "[DATEI]",
     "den Chip mit DATEI und ihrer Begleitdatei vergleichen (\"Prüfen\"); ohne DATEI die "
     "Brenndatei von --project",
     "Brenndatei: binär, Intel-HEX oder Motorola-S-Records"},
    {"read", "DATEI",
     "den Chip in DATEI auslesen, das Daten-EEPROM in die Begleitdatei .rex (\"Auslesen\")",
     "Datei, die unter genau diesem Namen geschrieben wird"},
    {"initreg", "[WERT]",
     "InitRegister1 aus dem Chip lesen und als 0xNN ausgeben; mit WERT (hex) in KALVENOR.INI "
     "eintragen",
     "neuer Wert von InitRegister1, ein Byte in Hex"},
    {"convert", "EIN AUS",
     "EIN für den gewählten Baustein laden (mit Bereichsprüfung) und als AUS im --format "
     "schreiben",
     "Eingabedatei und Ausgabedatei"},
    {"save-project", "PROJEKT [BRENNDATEI]",
     "Baustein, BRENNDATEI (sonst die zuletzt benutzte), ihre CRC-32, InitRegister1, Optionen "
     "und --serial in die Projektdatei PROJEKT schreiben",
     "Projektdatei und Brenndatei"},
};

inline constexpr std::string_view kDescription =
    "ferolith-cli brennt, prüft und liest ACE11- und ACE12-Mikrocontroller mit dem\n"
    "Kalvenor-Programmiergerät. KALVENOR.INI und ACELIST.CSV kommen aus dem\n"
    "Arbeitsverzeichnis, wie beim Desktop-Programm. Jede Meldung des Programms geht\n"
    "als Zeile \"Meldung: ...\" auf die Standardfehlerausgabe. Nach program, verify,\n"
    "read und convert steht je benutztem Speicherbereich eine Zeile mit\n"
    "Adressbereich, CRC-32 und 16-Bit-Bytesumme auf der Standardausgabe.";

inline constexpr std::string_view kUsageLine = "Aufruf:";
inline constexpr std::string_view kOptionsWord = "[OPTIONEN]";
inline constexpr std::string_view kCommandWord = "BEFEHL [ARGUMENTE]";
inline constexpr std::string_view kOptionsGroup = "Optionen";
inline constexpr std::string_view kCommandsGroup = "Befehle";
inline constexpr std::string_view kArgumentsGroup = "Argumente";
inline constexpr std::string_view kRequired = "(nötig)";

inline constexpr std::string_view kFooter =
    "Rückgabewert: 0 Erfolg; 2 am Sockel abgebrochen; 3 Datei nicht geladen;\n"
    "4 Zellen nicht leer oder Auslesen fehlgeschlagen; 5 Leertest abgebrochen;\n"
    "6 Prüfen fehlgeschlagen; 7 Brennen fehlgeschlagen oder Programmiergerät belegt;\n"
    "8 Programmiergerät nicht gefunden (Demomodus);\n"
    "10 Zeitüberschreitung im Handshake; 13 Fehler der Bauteilbibliothek;\n"
    "65 Projektdatei (--project) nicht lesbar oder ungültig;\n"
    "73 Ordner der Sperrdateien nicht sicher; 74 Protokoll (--log), Zähler\n"
    "(--serial-file) oder Projektdatei nicht schreibbar; 77 unter sudo die Rechte\n"
    "des Benutzers nicht annehmbar; 64 falscher Aufruf.\n"
    "Eine Serie (--repeat) endet mit dem Wert des ersten fehlgeschlagenen Bausteins.\n"
    "probe: 0 Programmiergerät antwortet, Rückschleife in Ordnung;\n"
    "8 Handshake in Ordnung, Rückschleife falsch; 10 kein Handshake;\n"
    "69 kein Zugang zur Schnittstelle.\n"
    "\n"
    "Beispiele:\n"
    "  ferolith-cli --simulate=chip.sim devices\n"
    "  ferolith-cli --simulate=chip.sim --manufacturer 0 --device 1 -y \\\n"
    "               program firmware.hex\n"
    "  ferolith-cli --simulate=chip.sim -y verify firmware.hex\n"
    "  ferolith-cli --simulate=chip.sim -y --format s1 --verify read backup.s19\n"
    "  ferolith-cli --simulate=chip.sim -y --repeat --log serie.csv \\\n"
    "               program firmware.hex\n"
    "  ferolith-cli --manufacturer 0 --device 1 save-project serie.fproj firmware.hex\n"
    "  ferolith-cli --simulate=chip.sim --project serie.fproj -y program\n"
    "  ferolith-cli --format intel32 convert firmware.bin firmware.hex\n"
    "  ferolith-cli --simulate-absent=busy-inverted detect\n"
    "  ferolith-cli --simulate-stuck-high 80 probe\n"
    "  ferolith-cli --simulate --trace=lauf.vcd detect";

// --version: the first line, the heading of the backends and the simulator's line.
inline constexpr std::string_view kVersionName = "ferolith-cli";
inline constexpr std::string_view kBackendsHeading = "Zugänge zum Programmiergerät in diesem Build:";
inline constexpr std::string_view kSimulatorId = "simulator";
inline constexpr std::string_view kSimulatorHelp =
    "virtuelles Programmiergerät mit virtuellem ACE-Chip (--simulate)";

// Usage errors: "ferolith-cli: " + the text, then the hint. printf formats.
inline constexpr std::string_view kErrorPrefix = "ferolith-cli: ";
inline constexpr std::string_view kErrorHint = "Hilfe: ferolith-cli --help";
inline constexpr const char* kNoCommand = "kein Befehl angegeben";
inline constexpr const char* kUnknownCommand = "unbekannter Befehl '%s'";
inline constexpr const char* kUnexpectedArgument = "unerwartetes Argument '%s'";
inline constexpr const char* kMissingValue = "%s: der Wert fehlt";
inline constexpr const char* kMissingArguments = "%s erwartet %s";
inline constexpr const char* kMissingBurnFile = "%s erwartet DATEI oder --project PROJEKT";
inline constexpr const char* kNotAllowed = "'%s' ist nicht erlaubt, nur %s";
inline constexpr const char* kNotInRange = "'%s' ist keine Zahl von %u bis %u";
inline constexpr const char* kBadByte = "initreg: WERT muss ein Byte in Hex sein, etwa c5 oder 0x3F";
inline constexpr const char* kBadSpeed =
    "'%s' ist keine Geschwindigkeit: real, fast oder ein Faktor größer 0, etwa 10 oder 2.5";
inline constexpr const char* kBadMask = "'%s' ist kein Byte in Hex, etwa 80 oder 0x01";
inline constexpr const char* kBadPort = "'%s' ist keine Portadresse in Hex, etwa 0x378 oder 278";
inline constexpr const char* kNotUnderstood = "Aufruf nicht verstanden: %s";
inline constexpr const char* kNoManufacturer =
    "kein Hersteller '%s' in der Bauteilbibliothek (siehe: ferolith-cli devices)";
inline constexpr const char* kNoDevice =
    "kein Baustein '%s' bei diesem Hersteller (siehe: ferolith-cli devices)";
inline constexpr const char* kOnlyWith = "%s geht nur zusammen mit %s";
inline constexpr const char* kInitRegWithProject =
    "initreg WERT schreibt KALVENOR.INI und geht nicht mit --project; InitRegister1 des "
    "Projekts steht in der Projektdatei (neu schreiben mit save-project)";
// "--simulate WORD" where WORD is an existing file of another kind: the word
// stays with the command (a burn file, most likely), and this goes first.
inline constexpr const char* kSimulateWordLeft =
    "ferolith-cli: Hinweis: '%s' ist keine Simulationsdatei und gehört nicht zu --simulate;\n"
    "              eine Simulationsdatei wird mit --simulate=DATEI angegeben.";

// Questions on the terminal (without --yes). The answer j/J, w/W (and y/Y)
// means OK or Retry; anything else, an empty line included, Cancel.
inline constexpr const char* kAskOkCancel = "Weiter mit OK? [j = OK / n = Abbrechen] ";
inline constexpr const char* kAskRetryCancel =
    "Weiter mit der nächsten Adresse? [w = Wiederholen / a = Abbrechen] ";
inline constexpr const char* kAskYesNo = "[j = Ja / N = Nein] ";

// The checksums of a memory area on standard output, after program,
// verify, read and convert: area name, first and last address, CRC-32,
// byte sum.
inline constexpr const char* kAreaChecksum = "%s 0x%04X-0x%04X: CRC-32 %08X, Summe 0x%04X";
inline constexpr const char* kCodeArea = "Programmspeicher";
inline constexpr const char* kDataArea = "Daten-EEPROM";

// After a blank check or read-out that found nothing but 0xFF, InitRegister1 included.
inline constexpr std::string_view kEmptySocket =
    "Warnung: Alle Zellen und InitRegister1 lesen sich als 0xFF. Steckt ein Baustein im "
    "Sockel?\n         Ein leerer Sockel liest sich genau wie ein gelöschter Chip.";

// The summary after a failed verification: cells compared and differing,
// one line per listed cell (area, address, expected, read), the rest
// counted, the bits by direction, and a hint when all read alike.
inline constexpr const char* kDifferenceHeading =
    "Abweichungen: %llu Zelle(n) verglichen, %llu davon verschieden";
inline constexpr const char* kDifferenceCell = "  %s 0x%04X: erwartet 0x%02X, gelesen 0x%02X";
inline constexpr const char* kDifferenceMore = "  ... und %llu weitere";
inline constexpr const char* kDifferenceBits =
    "Bits: %llu lesen 1 statt 0, %llu lesen 0 statt 1";
inline constexpr std::string_view kDifferenceAllFF =
    "Hinweis: jede abweichende Zelle liest sich als 0xFF - nicht programmiert?";
inline constexpr std::string_view kDifferenceAll00 =
    "Hinweis: jede abweichende Zelle liest sich als 0x00 - Leseschutz gesetzt oder SerialOut auf Masse?";

// Project files (--project, save-project).
inline constexpr const char* kSaveProjectWithoutFile =
    "save-project: keine Brenndatei; BRENNDATEI angeben (etwa: save-project serie.fproj firmware.hex)";
inline constexpr const char* kProjectSaved = "Projekt %s gespeichert: %s %s, Brenndatei %s, CRC-32 %08X";
inline constexpr const char* kProjectCompanion = "  Begleitdatei %s, CRC-32 %08X";
inline constexpr const char* kChangedFileHint = "--accept-changed-file nimmt sie trotzdem.";

// Serial numbers (program --serial).
inline constexpr const char* kSerialOutsideArea =
    "--serial %s liegt nicht im %s von %s (0x%04X-0x%04X)";
inline constexpr const char* kSerialNoArea = "--serial %s: %s hat kein %s";
inline constexpr const char* kSerialOverlapsData =
    "--serial %s überdeckt Daten der Brenndatei (Adresse 0x%04X hält 0x%02X); "
    "--serial-overwrite erlaubt das";
inline constexpr const char* kSerialNeedsCompanion =
    "--serial %s braucht die Begleitdatei '%s' für das Daten-EEPROM";
inline constexpr const char* kSerialTooLarge =
    "die Seriennummer %llu passt nicht in das Feld von --serial";
inline constexpr const char* kBadSerialField =
    "--serial: '%s' ist kein Feld BEREICH:ADRESSE:BREITE, etwa code:0x07F0:2 (BEREICH code "
    "oder data, BREITE 1 bis 4)";
inline constexpr const char* kCounterUnreadable =
    "der Zähler '%s' enthält keine Seriennummer (eine Zeile mit Ziffern)";
inline constexpr const char* kCounterNotLocked = "der Zähler '%s' kann nicht gesperrt werden: %s";
inline constexpr const char* kCounterNotWritten =
    "der Zähler '%s' kann nicht geschrieben werden: %s; die Serie endet hier";
inline constexpr const char* kSerialPatchFailed =
    "Die Seriennummer passt nicht mehr in die Brenndatei:\n\n%s";

// Production runs (program --repeat, --log).
inline constexpr const char* kChipResult = "Baustein %u: %s (Ergebnis %d)";
inline constexpr const char* kChipResultWithSerial = "Baustein %u, Seriennummer %llu: %s (Ergebnis %d)";
inline constexpr const char* kNextChip = "Nächsten Baustein einsetzen, dann Enter (q = Ende): ";
inline constexpr const char* kRunSummary = "Serie beendet: %u Baustein(e), davon %u fehlgeschlagen";
inline constexpr std::string_view kLogHeader =
    "Zeit;Baustein;Brenndatei;CRC-32 Programmspeicher;CRC-32 Daten-EEPROM;Ergebnis;Text;"
    "Seriennummer";
inline constexpr const char* kLogNotOpened = "das Protokoll '%s' kann nicht geöffnet werden";
inline constexpr const char* kLogNotWritten =
    "das Protokoll '%s' kann nicht geschrieben werden; die Serie endet hier";

// The German words for an exit status, in the log and the result lines.
struct ResultText {
  int code;
  std::string_view text;
};
inline constexpr ResultText kResultTexts[] = {
    {0, "Erfolg"},
    {2, "am Sockel abgebrochen"},
    {3, "Datei nicht geladen"},
    {4, "Zellen nicht leer oder Auslesen fehlgeschlagen"},
    {5, "Leertest abgebrochen"},
    {6, "Prüfen fehlgeschlagen"},
    {7, "Brennen fehlgeschlagen oder Programmiergerät belegt"},
    {8, "Programmiergerät nicht gefunden (Demomodus)"},
    {10, "Zeitüberschreitung im Handshake"},
    {13, "Fehler der Bauteilbibliothek"},
};
inline std::string_view ResultTextOf(int code) {
  for (const ResultText& entry : kResultTexts) {
    if (entry.code == code) return entry.text;
  }
  return "Fehler";
}

// The line of an option or command; a missing line is a mistake in the
// program, not in its use.
inline const OptionText& OptionTextOf(std::string_view names) {
  for (const OptionText& text : kOptionTexts) {
    if (text.names == names) return text;
  }
  throw std::logic_error("no help text for option " + std::string(names));
}

inline const CommandText& CommandTextOf(std::string_view name) {
  for (const CommandText& text : kCommandTexts) {
    if (text.name == name) return text;
  }
  throw std::logic_error("no help text for command " + std::string(name));
}

}  // namespace ferolith::cli::texts
