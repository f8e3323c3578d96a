#pragma once

class QCoreApplication;

namespace ferolith {

// Every text of the program is German, so the standard buttons of Qt's
// message boxes and file dialogs are too: loads Qt's German translation and
// makes German the default locale. Returns false when the translation file
// cannot be loaded (the buttons then stay English).
bool InstallGermanTranslation(QCoreApplication& application);

}  // namespace ferolith
