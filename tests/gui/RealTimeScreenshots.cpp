// Writes a sequence of pictures of the main window during a "Brennen" on
// the simulator at the real programmer's pace, for the documentation:
// gui_realtime_screenshots FOLDER PICTURE... . FOLDER becomes the working
// folder (device library, settings, a 2 KiB burn file). The pictures are
// taken 3, 12 and 24 s (further ones 12 s apart) after the click, by timers
// that only the window's own pumps during the pass can deliver; then
// "Abbrechen" ends the pass. Run it under xvfb-run for the platform's
// fonts and style.

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/ControlIds.h"
#include "gui/ControlLookup.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerDlg.h"
#include "platform/DesktopMarkers.h"
#include "AutoAnswer.h"

int main(int argc, char** argv) {
  using namespace ferolith;
  QApplication application(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "Aufruf: gui_realtime_screenshots ORDNER BILD.png...\n");
    return 2;
  }
  InstallGermanTranslation(application);
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(std::filesystem::path(FEROLITH_SOURCE) / "resources" / "ACELIST.CSV",
                             folder / "ACELIST.CSV", std::filesystem::copy_options::overwrite_existing);
  // QM1108-2KE: 2 KiB of program memory, verified after programming.
  std::ofstream(folder / "KALVENOR.INI") << "[Ferolith INI-Section]\nManufIndex=0\nDeviceIndex=1\nVerify=1\n"
                                            "MessageBeap=0\nX-Koord=40\nY-Koord=40\n";
  {
    std::ofstream burn(folder / "firmware.bin", std::ios::binary);
    for (int i = 0; i < 0x800; ++i) burn.put(static_cast<char>(i * 7 + 3));
  }

  ProgramOptions options;
  options.workingDirectory = folder.string();
  options.simulate = true;
  options.simulateSpeed = sim::SimulationSpeed{1};
  LockFileMarkers markers((folder / "marks").string());
  CProgrammerDlg dialog;
  Program program(dialog, dialog, dialog.Manufacturers(), dialog.Devices(), markers, options);
  dialog.Attach(program);
  dialog.OnInitDialog(program);
  program.SetBurnFile((folder / "firmware.bin").string());
  dialog.show();

  guitest::AutoAnswer answers;  // OK to the socket box and to the messages
  bool saved = true;
  const int pictures = argc - 2;
  for (int i = 0; i < pictures; ++i) {
    const int at = i == 0 ? 3000 : 12000 * i;
    const QString file = QString::fromLocal8Bit(argv[i + 2]);
    QTimer::singleShot(at, &dialog, [&dialog, &saved, file, last = i + 1 == pictures] {
      saved = dialog.grab().save(file) && saved;
      if (last) ControlById<QPushButton>(dialog, Ctl::Abbrechen)->click();
    });
  }
  // The click returns when the command has ended.
  QTimer::singleShot(0, &dialog, [&dialog] {
    ControlById<QPushButton>(dialog, Ctl::Brennen)->click();
    QApplication::quit();
  });
  application.exec();
  return saved ? 0 : 1;
}
