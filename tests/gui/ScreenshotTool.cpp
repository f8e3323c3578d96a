// Writes pictures of the main window and the preferences dialog for the
// documentation: gui_screenshots MAIN.png PREFS.png. Run it under a real X
// server (xvfb-run) so the platform's fonts and style are used.

#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "core/Settings.h"
#include "gui/GermanTranslation.h"
#include "gui/PrefsDlg.h"
#include "gui/ProgrammerDlg.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "Aufruf: gui_screenshots HAUPTFENSTER.png EINSTELLUNGEN.png\n");
    return 2;
  }
  ferolith::InstallGermanTranslation(application);

  ferolith::Settings settings;
  settings.InitRegister1Value = 0x85;
  ferolith::CProgrammerDlg main;
  main.BindSettings(settings);
  main.setWindowTitle(QStringLiteral("Ferolith V1.02"));
  main.Manufacturers().Add("Ferolith Beispielhersteller");
  main.Devices().Add("ACE1101 DIP8");
  main.ShowBurnFileName("blinker.hex");
  main.ShowInitRegister1(settings.InitRegister1Value);
  main.SetProgressRange(50);
  main.SetProgressPosition(20);
  main.show();
  QApplication::processEvents();
  const bool mainSaved = main.grab().save(QString::fromLocal8Bit(argv[1]));

  ferolith::CPrefsDlg prefs(main, &main);
  prefs.SetForm(ferolith::PreferencesFromSettings(settings));
  prefs.show();
  QApplication::processEvents();
  const bool prefsSaved = prefs.grab().save(QString::fromLocal8Bit(argv[2]));
  return mainSaved && prefsSaved ? 0 : 1;
}
