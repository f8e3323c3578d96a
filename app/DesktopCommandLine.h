#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"

namespace ferolith {

// How the desktop program was started (both skins, Qt and Win32, share
// this command line).
struct DesktopStart {
  // --help and --version print their text and end the program before any
  // window (or display) is needed.
  enum class Request { Run, Help, Version };
  Request request = Request::Run;
  ProgramOptions options;
  // --menu: started from the desktop's menu, so the working folder is the
  // program's own folder in the user's data directory (platform/WorkingFolder.h)
  // instead of the current directory.
  bool menu = false;
  // A project file named on the command line (as a file manager starts the
  // program for one), as a full path; opened once the window is up.
  std::string projectFile;
};

// The desktop program's command line:
// "ferolith [--menu] [--simulate[=FILE]] [--simulate-absent=MODEL]
// [--simulate-speed=real|fast|FACTOR] [--trace=FILE] [PROJECT]", or
// "ferolith --help" or "ferolith --version" alone.
// --simulate runs on the virtual programmer and chip; FILE keeps the chip's
// contents between runs. --simulate-absent simulates too, with the virtual
// programmer absent and its port reading as MODEL shows (high,
// busy-inverted, low). --simulate-speed simulates too, at the real
// programmer's pace ("real"), FACTOR times faster, or as fast as the
// machine allows ("fast", the default). --trace writes every port access into FILE (a Value
// Change Dump). PROJECT, one file named like a project file (.fproj), is
// taken relative to `workingDirectory`. Returns nothing for any other argument, and for a FILE of
// --simulate that exists and is no simulation file (it would be replaced by
// the virtual chip); `refusal`, if given, then receives the German reason.
std::optional<DesktopStart> ParseCommandLine(const std::vector<std::string>& arguments,
                                             const std::string& workingDirectory,
                                             std::string* refusal = nullptr);

// --menu: makes the program's own folder (with the sample library on the
// first start) the working directory and the options' working directory.
// Returns the German explanation when there is none, empty on success.
std::string EnterMenuFolder(ProgramOptions& options);

// What --version prints: the program's name and version and its licence.
std::string VersionText();

inline constexpr const char* kUsage =
    "Aufruf: ferolith [--menu] [--simulate[=DATEI]] [--simulate-absent=high|busy-inverted|low]\n"
    "                [--simulate-speed=real|fast|FAKTOR] [--trace=DATEI] [PROJEKT]\n"
    "        ferolith --help | --version";

// What --help prints: the usage and what each option does.
inline constexpr const char* kHelp =
    "Ferolith brennt, prüft und liest ACE-Mikrocontroller mit dem\n"
    "Kalvenor-Programmiergerät an der parallelen Schnittstelle.\n"
    "\n"
    "Optionen:\n"
    "  --menu                  im eigenen Arbeitsordner starten statt im aktuellen\n"
    "                          Verzeichnis (so startet der Menüeintrag)\n"
    "  --simulate[=DATEI]      das virtuelle Programmiergerät mit virtuellem Chip\n"
    "                          benutzen; DATEI hält den Chip zwischen zwei Läufen\n"
    "  --simulate-absent=MODELL\n"
    "                          simulieren ohne Programmiergerät; der Port liest sich\n"
    "                          wie MODELL: high, busy-inverted oder low\n"
    "  --simulate-speed=TEMPO  simulieren im Takt des echten Geräts (real), FAKTOR-mal\n"
    "                          schneller oder so schnell wie möglich (fast, Vorgabe)\n"
    "  --trace=DATEI           jeden Portzugriff als Value Change Dump in DATEI\n"
    "                          schreiben\n"
    "  PROJEKT                 die Projektdatei (.fproj) öffnen: Baustein, Brenndatei,\n"
    "                          InitRegister1 und Optionen folgen ihr\n"
    "  --help                  diese Hilfe zeigen\n"
    "  --version               die Version zeigen\n"
    "\n"
    "KALVENOR.INI und ACELIST.CSV liegen im Arbeitsordner. Eine Projektdatei lässt\n"
    "sich auch auf das Fenster ziehen. Ohne Bildschirm: ferolith-cli.\n";

}  // namespace ferolith
