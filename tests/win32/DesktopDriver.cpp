// Drives the Win32 desktop program ferolith.exe on the simulator as a user
// would, from another process: windows found by title, controls by ID,
// texts and states read, buttons clicked, message boxes and file dialogs
// answered. Every step waits for windows and texts, never for a time.
//
//   ferolith-desktop-driver FEROLITH_EXE WORK_FOLDER RESOURCES_FOLDER [SCREENSHOT_FOLDER]
//
// With SCREENSHOT_FOLDER it only takes the pictures of the documentation
// (main window, preferences, a "Brennen" in progress) as BMP files.

#include <windows.h>

#include <commctrl.h>
#include <cctype>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win32/DialogTables.h"
#include "tests/win32/Screenshot.h"
#include "tests/win32/WindowProbe.h"

namespace fs = std::filesystem;
using namespace ferolith::driver;

namespace {

constexpr const char* kIdle = "Warte auf Eingaben";

// A started program; ended by force if a failed check leaves it running.
struct Running {
  Running() = default;
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
  ~Running() {
    if (process.hProcess == nullptr) return;
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  PROCESS_INFORMATION process{};
  HWND main = nullptr;
  DWORD Pid() const { return process.dwProcessId; }
  HWND Item(int id) const { return GetDlgItem(main, id); }
};

struct Setup {
  fs::path exe;
  fs::path work;
  fs::path resources;  // the source tree's resources/
};

PROCESS_INFORMATION Launch(const Setup& setup, const fs::path& folder, const std::string& arguments) {
  std::wstring command = L"\"" + setup.exe.wstring() + L"\" " + Wide(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  Require(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                         &process) != 0,
          "start " + Utf8(command));
  return process;
}

void Start(Running& program, const Setup& setup, const fs::path& folder, const std::string& arguments) {
  program.process = Launch(setup, folder, arguments);
  WaitUntil("main window \"Ferolith V1.02\"", [&] {
    const auto windows = TopLevelWindows(program.Pid(), L"#32770", L"Ferolith V1.02");
    if (windows.empty()) return false;
    program.main = windows.front();
    // Start-up is over once the lists are filled.
    return TextOf(program.Item(1004)).size() > 0;
  });
}

void WaitForEnd(Running& program) {
  WaitUntil("the program ends", [&] { return WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0; });
  CloseHandle(program.process.hProcess);
  CloseHandle(program.process.hThread);
  program.process = {};
}

fs::path FreshFolder(const Setup& setup, const std::string& name) {
  const fs::path folder = setup.work / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(setup.resources / "ACELIST.CSV", folder / "ACELIST.CSV");
  for (const char* file : {"blink.hex", "blink.rex"}) fs::copy_file(setup.resources / "samples" / file, folder / file);
  // QM1108-2KE, the device of the sample burn file.
  std::ofstream(folder / "KALVENOR.INI", std::ios::binary) << "[Ferolith INI-Section]\r\nManufIndex=0\r\nDeviceIndex=1\r\n";
  return folder;
}

std::string FileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void Step(const std::string& name) { std::printf("  %s\n", name.c_str()); std::fflush(stdout); }

void ExpectIdle(const Running& program) {
  WaitUntil("idle status text", [&] { return TextOf(program.Item(1016)) == kIdle; });
  Require(!IsWindowEnabled(program.Item(1017)), "\"Abbrechen\" disabled when idle");
  for (const int id : kInputControls) {
    Require(IsWindowEnabled(program.Item(id)) != 0, "input control " + std::to_string(id) + " enabled when idle");
  }
  Require(FindWindowW(nullptr, L"KalvenorDevil") == nullptr, "no \"KalvenorDevil\" window when idle");
}

// Answers the boxes of a command: OK to every socket instruction, until the
// box with `last` (answered with OK too).
std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// Every control of `dialog` against its table: the table's dialog units
// converted with MapDialogRect (on a dialog of the same font in this
// process) must give the control's rectangle exactly.
template <std::size_t N>
void CheckGeometry(HWND dialog, const ControlRow (&table)[N], HWND units, const std::string& name) {
  const std::vector<HWND> children = Children(dialog);
  Require(children.size() == N, name + ": " + std::to_string(N) + " controls expected, found " +
                                    std::to_string(children.size()));
  for (std::size_t i = 0; i < N; ++i) {
    const ControlRow& row = table[i];
    const int id = GetDlgCtrlID(children[i]);
    Require(row.id == -1 ? id == 0xFFFF || id == -1 : id == row.id,
            name + ": control " + std::to_string(i) + " has ID " + std::to_string(id));
    // Position and size are converted one by one, as the dialog manager
    // converts a template's control: MapDialogRect on {x, y, width, height}.
    RECT converted{row.x, row.y, row.width, row.height};
    MapDialogRect(units, &converted);
    const RECT expected{converted.left, converted.top, converted.left + converted.right,
                        converted.top + converted.bottom};
    RECT actual = RectInParent(children[i]);
    if (row.comboBox) {
      RECT dropped{};
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(children[i], CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped),
                          SMTO_NORMAL, 10000, &ignored);
      // Where the open list ends (its rectangle in screen coordinates). It
      // shows whole lines only, so it may end up to one line (with the
      // list's border) above the template's height.
      DWORD_PTR line = 0;
      SendMessageTimeoutW(children[i], CB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, 10000, &line);
      MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&dropped), 2);
      long shortBy = expected.bottom - dropped.bottom;
      // Windows reports the whole open box, wine the list without the
      // closed box's height above it.
      const long closedHeight = actual.bottom - actual.top;
      if (shortBy > static_cast<long>(line) + 2) shortBy -= closedHeight;
      Require(shortBy >= 0 && shortBy <= static_cast<long>(line) + 2,
              name + ": open list of " + std::to_string(row.id) + " " + std::to_string(shortBy) +
                  " pixels short of the template's height");
      actual.bottom = expected.bottom;
    }
    Require(EqualRect(&expected, &actual) != 0, name + ": control " + std::to_string(row.id) + " at " +
                                                    Describe(actual) + ", table " + Describe(expected));
  }
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void StartUpChecks(const Setup& setup, const Running& program, HMODULE resources) {
  Step("start-up: title, 30 controls, idle state, geometry");
  Require(FindWindowW(L"#32770", L"Ferolith V1.02") == program.main, "the main window found by its title");
  ExpectIdle(program);
  Require(TextOf(program.Item(1017)) == "&Abbrechen", "button 1017 \"&Abbrechen\"");
  Require(TextOf(program.Item(1003)) == "&Prüfen", "button 1003 \"&Prüfen\" (UTF-16 at the boundary)");
  // Every button and check box has an access key, and no letter repeats.
  std::string keys;
  for (const ControlRow& row : kMainWindowTable) {
    const std::string text = TextOf(program.Item(row.id));
    const std::size_t mark = text.find('&');
    if (mark == std::string::npos || mark + 1 >= text.size()) continue;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(text[mark + 1])));
    Require(keys.find(key) == std::string::npos, "access key '" + std::string(1, key) + "' used twice");
    keys += key;
  }
  Require(keys.size() == 21, "21 access keys in the main window, found " + std::to_string(keys.size()));
  Require(TextOf(program.Item(1004)) == "Quellmark Halbleiter", "manufacturer list filled");
  Require(TextOf(program.Item(1011)) == "QM1108-2KE", "device list filled");
  HWND units = CreateDialogParamW(resources, MAKEINTRESOURCEW(134), nullptr, &Inert, 0);
  Require(units != nullptr, "a dialog of the program's font for the dialog units");
  CheckGeometry(program.main, kMainWindowTable, units, "main window");

  Step("a second instance ends at once");
  PROCESS_INFORMATION second = Launch(setup, setup.work, "--simulate");
  WaitUntil("the second instance ends", [&] { return WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0; });
  DWORD status = 1;
  GetExitCodeProcess(second.hProcess, &status);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);
  Require(status == 0, "the second instance ends with status 0");
  Require(TopLevelWindows(second.dwProcessId, L"", L"").empty(), "the second instance showed no window");

  Step("preferences: geometry");
  Click(program.Item(1007));
  HWND prefs = nullptr;
  WaitUntil("\"Einstellungen\"", [&] {
    const auto found = TopLevelWindows(program.Pid(), L"#32770", L"Einstellungen");
    return !found.empty() && (prefs = found.front()) != nullptr;
  });
  CheckGeometry(prefs, kPreferencesTable, units, "preferences");
  DestroyWindow(units);
  Click(GetDlgItem(prefs, IDCANCEL));
  WaitUntil("\"Einstellungen\" closed", [&] { return !IsWindow(prefs); });
}

void CommandChecks(const fs::path& folder, const Running& program) {
  Step("Leertest");
  Click(program.Item(1000));
  AnswerSocketBoxes(program.Pid(), "Controller ist gelöscht");
  ExpectIdle(program);

  Step("InitRegister1 panel: Ext. Quarz and Watchdog, the WDIS question");
  Click(program.Item(1010));
  Click(program.Item(1015));
  WaitUntil("Ext. Quarz checked", [&] { return Checked(program.Item(1010)) && Checked(program.Item(1015)); });
  Require(!Checked(program.Item(1008)), "\"Intern\" unchecked by the panel");
  Click(program.Item(1024));
  AnswerMessageBox(program.Pid(), "Du willst den Schreibschutz setzen", IDCANCEL);
  WaitUntil("WDIS unchecked after Cancel", [&] { return !Checked(program.Item(1024)); });

  Step("Neue Datei: the burn file from the open dialog");
  Click(program.Item(1006));
  AnswerFileDialog(program.Pid(), (folder / "blink.hex").string());
  WaitUntil("the burn file shown", [&] { return TextOf(program.Item(1005)) == "blink.hex"; });

  Step("Brennen with \"Baustein prüfen\"");
  if (!Checked(program.Item(1012))) Click(program.Item(1012));
  WaitUntil("\"Baustein prüfen\" checked", [&] { return Checked(program.Item(1012)); });
  Click(program.Item(1002));
  AnswerSocketBoxes(program.Pid(), "Keine Fehler beim prüfen");
  ExpectIdle(program);

  Step("Prüfen");
  Click(program.Item(1003));
  AnswerSocketBoxes(program.Pid(), "Keine Fehler beim Prüfen");
  ExpectIdle(program);

  Step("Auslesen, then again with the overwrite question: Nein, then Ja");
  const fs::path readBack = folder / "auslesen.hex";
  Click(program.Item(1001));
  AnswerFileDialog(program.Pid(), readBack.string());
  AnswerSocketBoxes(program.Pid(), "Prozessor-Programm gespeichert");
  ExpectIdle(program);
  Require(FileText(readBack).rfind(":", 0) == 0, "auslesen.hex holds Intel HEX");
  Require(fs::exists(folder / "auslesen.rex"), "auslesen.rex written");
  std::ofstream(readBack) << "alt";
  Click(program.Item(1001));
  AnswerFileDialog(program.Pid(), readBack.string());
  AnswerMessageBox(program.Pid(), "existieren schon", IDNO);
  ExpectIdle(program);
  Require(FileText(readBack) == "alt", "\"Nein\" writes nothing");
  Click(program.Item(1001));
  AnswerFileDialog(program.Pid(), readBack.string());
  AnswerMessageBox(program.Pid(), "existieren schon", IDYES);
  AnswerSocketBoxes(program.Pid(), "Prozessor-Programm gespeichert");
  ExpectIdle(program);
  Require(FileText(readBack).rfind(":", 0) == 0, "\"Ja\" replaces the file");

  Step("InitRegister reads what Brennen programmed (0xA0)");
  Click(program.Item(1008));
  Click(program.Item(1015));
  WaitUntil("panel at 0x00", [&] { return Checked(program.Item(1008)) && !Checked(program.Item(1015)); });
  Click(program.Item(1018));
  AnswerSocketBoxes(program.Pid(), "InitRegister1 gelesen");
  ExpectIdle(program);
  for (const int id : {1008, 1009, 1014, 1020, 1021, 1025, 1023, 1024}) {
    Require(!Checked(program.Item(id)), "control " + std::to_string(id) + " unchecked for 0xA0");
  }
  Require(Checked(program.Item(1010)) && Checked(program.Item(1015)), "Ext. Quarz and Watchdog for 0xA0");

  Step("Prefs: a bad timeout refused, a good one taken");
  Click(program.Item(1007));
  HWND prefs = nullptr;
  WaitUntil("\"Einstellungen\"", [&] {
    const auto found = TopLevelWindows(program.Pid(), L"#32770", L"Einstellungen");
    return !found.empty() && (prefs = found.front()) != nullptr;
  });
  SetTextOf(GetDlgItem(prefs, 1005), "5");
  Click(GetDlgItem(prefs, IDOK));
  AnswerMessageBox(program.Pid(), "zwischen 10000 und 10000000", IDOK);
  Require(IsWindow(prefs) != 0, "the dialog stays open after a bad value");
  SetTextOf(GetDlgItem(prefs, 1005), "20000");
  Click(GetDlgItem(prefs, IDOK));
  WaitUntil("\"Einstellungen\" closed", [&] { return !IsWindow(prefs); });
}

void CloseAndCheckSettings(const fs::path& folder, Running& program) {
  Step("closing saves KALVENOR.INI");
  PostMessageW(program.main, WM_CLOSE, 0, 0);
  WaitForEnd(program);
  const std::string ini = FileText(folder / "KALVENOR.INI");
  Require(ini.find("TimeOut=20000") != std::string::npos, "TimeOut=20000 saved:\n" + ini);
  Require(ini.find("InitRegister1=") != std::string::npos, "InitRegister1 saved:\n" + ini);
}

void CancelAndEscapeChecks(const Setup& setup, const fs::path& folder) {
  Step("Abbrechen at real speed; a close waits for the command, Esc cancels it");
  Running program;
  Start(program, setup, folder, "--simulate=chip.sim --simulate-speed=real");
  Click(program.Item(1002));
  AnswerMessageBox(program.Pid(), "Sockel", IDOK);
  WaitUntil("\"Abbrechen\" enabled during the pass", [&] { return IsWindowEnabled(program.Item(1017)) != 0; });
  for (const int id : kInputControls) {
    Require(!IsWindowEnabled(program.Item(id)), "input control " + std::to_string(id) + " disabled while running");
  }
  Require(FindWindowW(nullptr, L"KalvenorDevil") != nullptr, "the \"KalvenorDevil\" window while running");
  Click(program.Item(1017));
  AnswerMessageBox(program.Pid(), "Programmierung abgebrochen", IDOK);
  ExpectIdle(program);
  Require(IsWindow(program.main) != 0, "the window is still there after Abbrechen");

  Click(program.Item(1002));
  AnswerMessageBox(program.Pid(), "Sockel", IDOK);
  WaitUntil("\"Abbrechen\" enabled during the second pass", [&] { return IsWindowEnabled(program.Item(1017)) != 0; });
  PostMessageW(program.main, WM_CLOSE, 0, 0);
  WaitUntil("the status line says why the window waits", [&] {
    return TextOf(program.Item(1016)).find("Bitte warten, bis") != std::string::npos;
  });
  Require(IsWindow(program.main) != 0, "the window waits for the running command");
  PostMessageW(program.main, WM_KEYDOWN, VK_ESCAPE, 0);  // Esc acts as "Abbrechen"
  AnswerMessageBox(program.Pid(), "Programmierung abgebrochen", IDOK);
  WaitForEnd(program);  // the waiting close is carried out once the command has ended

  Step("Esc while idle closes with the closing steps");
  Running again;
  Start(again, setup, folder, "--simulate=chip.sim");
  ExpectIdle(again);
  const std::string before = FileText(folder / "KALVENOR.INI");
  const bool verify = SendMessageW(again.Item(1012), BM_GETCHECK, 0, 0) == BST_CHECKED;
  Click(again.Item(1012));
  PostMessageW(again.main, WM_KEYDOWN, VK_ESCAPE, 0);
  WaitForEnd(again);
  const std::string after = FileText(folder / "KALVENOR.INI");
  Require(after != before, "Esc saves KALVENOR.INI as the close button does");
  Require(after.find(verify ? "Verify=0" : "Verify=1") != std::string::npos, "the changed option saved:\n" + after);
}

void ProjectChecks(const Setup& setup) {
  Step("a project named on the command line: device, burn file, options and panel follow it");
  const fs::path folder = FreshFolder(setup, "project");
  std::ofstream(folder / "KALVENOR.INI", std::ios::binary) << "[Ferolith INI-Section]\r\nManufIndex=1\r\nDeviceIndex=0\r\n";
  std::ofstream(folder / "serie.fproj", std::ios::binary)
      << "[Projekt]\r\nHersteller=Quellmark Halbleiter\r\nBaustein=QM1108-2KE\r\nBrenndatei=blink.hex\r\n"
         "InitRegister1=0xC5\r\nVerify=0\r\nFFSave=1\r\n";
  Running program;
  Start(program, setup, folder, "--simulate=chip.sim serie.fproj");
  WaitUntil("the project's device", [&] { return TextOf(program.Item(1011)) == "QM1108-2KE"; });
  Require(TextOf(program.Item(1004)) == "Quellmark Halbleiter", "the project's manufacturer: " + TextOf(program.Item(1004)));
  Require(TextOf(program.Item(1005)) == "blink.hex", "the project's burn file: " + TextOf(program.Item(1005)));
  Require(SendMessageW(program.Item(1012), BM_GETCHECK, 0, 0) == BST_UNCHECKED, "Verify=0 of the project");
  Require(SendMessageW(program.Item(1013), BM_GETCHECK, 0, 0) == BST_CHECKED, "FFSave=1 of the project");
  ExpectIdle(program);
  PostMessageW(program.main, WM_CLOSE, 0, 0);
  WaitForEnd(program);
}

void TakeScreenshots(const Setup& setup, const fs::path& pictures) {
  const fs::path folder = FreshFolder(setup, "screenshots");
  std::ofstream(folder / "KALVENOR.INI", std::ios::binary | std::ios::app) << "LastFile=blink.hex\r\nDataPath=" << folder.string()
                                                        << "\\\r\n";
  Running program;
  Start(program, setup, folder, "--simulate --simulate-speed=real");
  ExpectIdle(program);
  SaveWindowPicture(program.main, pictures / "win32-main-window.bmp");
  Click(program.Item(1007));
  HWND prefs = nullptr;
  WaitUntil("\"Einstellungen\"", [&] {
    const auto found = TopLevelWindows(program.Pid(), L"#32770", L"Einstellungen");
    return !found.empty() && (prefs = found.front()) != nullptr;
  });
  SaveWindowPicture(prefs, pictures / "win32-preferences.bmp");
  Click(GetDlgItem(prefs, IDCANCEL));
  WaitUntil("\"Einstellungen\" closed", [&] { return !IsWindow(prefs); });
  Click(program.Item(1002));
  AnswerMessageBox(program.Pid(), "Sockel", IDOK);
  WaitUntil("a third of the bar", [&] {
    DWORD_PTR position = 0;
    SendMessageTimeoutW(program.Item(1019), PBM_GETPOS, 0, 0, SMTO_NORMAL, 10000, &position);
    return position >= 17;
  });
  SaveWindowPicture(program.main, pictures / "win32-brennen.bmp", FindWindowW(nullptr, L"KalvenorDevil"));
  Click(program.Item(1017));
  AnswerMessageBox(program.Pid(), "Programmierung abgebrochen", IDOK);
  ExpectIdle(program);
  PostMessageW(program.main, WM_CLOSE, 0, 0);
  WaitForEnd(program);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: ferolith-desktop-driver FEROLITH_EXE WORK_FOLDER RESOURCES_FOLDER [PICTURES]\n");
    return 2;
  }
  const Setup setup{fs::absolute(argv[1]), fs::absolute(argv[2]), fs::absolute(argv[3])};
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    if (argc == 5) {
      TakeScreenshots(setup, fs::absolute(argv[4]));
      return 0;
    }
    HMODULE resources = LoadLibraryExW(setup.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Require(resources != nullptr, "the program's resources");
    const fs::path folder = FreshFolder(setup, "chain");
    Running program;
    Start(program, setup, folder, "--simulate=chip.sim");
    StartUpChecks(setup, program, resources);
    CommandChecks(folder, program);
    CloseAndCheckSettings(folder, program);
    CancelAndEscapeChecks(setup, folder);
    ProjectChecks(setup);
    std::printf("desktop driver: all chains passed\n");
    return 0;
  } catch (const CheckFailed& failure) {
    std::fprintf(stderr, "desktop driver: FAILED: %s\n", failure.what.c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "desktop driver: FAILED: %s\n", error.what());
    return 1;
  }
}
