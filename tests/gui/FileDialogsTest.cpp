// The program's file dialog requests as Qt file dialogs.

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include <fstream>

#include "gui/FileDialogs.h"
#include "gui/GermanTranslation.h"
#include "ModalHelper.h"
#include "tests/support/TempDir.h"

using namespace ferolith;

namespace {

constexpr const char* kOpenFilter = "*.* Alle Dateien|*.*|*.BIN Binär-Dateien|*.bin|*.HEX Hex-Dateien|*.hex||";
constexpr const char* kSaveFilter =
    "*.* Alle Dateien|*.*|*.BIN Binär|*.bin|*.HEX Intel8|*.hex|*.HEX Intel32|*.hex|"
    "*.HEX IntelMCS|*.hex|*.HEX Motorola S1 Exorciser|*.hex|*.HEX Motorola S2 Exormax|*.hex|"
    "*.HEX Motorola S3 32Bit|*.hex||";

// Chooses `fileName` in the next file dialog, after recording its state.
void ChooseInNextDialog(const QString& fileName, const QString& nameFilter, QString* shownFilter,
                        QString* shownDirectory) {
  guitest::WhenShown<QFileDialog>([=](QFileDialog& dialog) {
    *shownFilter = dialog.selectedNameFilter();
    *shownDirectory = dialog.directory().absolutePath();
    if (!nameFilter.isEmpty()) dialog.selectNameFilter(nameFilter);
    // Typed, as a user does: a selection would race with the dialog's
    // background directory listing.
    dialog.findChild<QLineEdit*>("fileNameEdit")->setText(fileName);
    static_cast<QDialog&>(dialog).accept();
  });
}

}  // namespace

class FileDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallGermanTranslation(*QCoreApplication::instance()); }

  void filterStringsBecomeQtNameFilters() {
    const std::vector<FilterEntry> entries = SplitDialogFilter(kSaveFilter);
    QCOMPARE(entries.size(), std::size_t{8});
    QCOMPARE(QString::fromStdString(entries[7].description), QString("*.HEX Motorola S3 32Bit"));
    const QStringList filters = QtNameFilters(entries);
    QCOMPARE(filters.at(0), QString("*.* Alle Dateien (*)"));
    QCOMPARE(filters.at(1), QString("*.BIN Binär (*.bin)"));

    QCOMPARE(QtNameFilters(SplitDialogFilter("Bilder|*.png;*.jpg||")),
             QStringList{"Bilder (*.png *.jpg)"});
    // Nothing after the closing empty field counts; a lone description is dropped.
    QCOMPARE(SplitDialogFilter("A|*.a||B|*.b||").size(), std::size_t{1});
    QCOMPARE(SplitDialogFilter("A|*.a|B").size(), std::size_t{1});
    QVERIFY(SplitDialogFilter("").empty());
    QVERIFY(SplitDialogFilter("||").empty());
  }

  void openDialogOffersTheRequestAndReportsTheChoice() {
    testing::TempDir directory;
    const std::string path = (directory.Path() / "blinker.HEX").string();
    std::ofstream(path) << ":00000001FF\n";

    FileDialogRequest request;
    request.filter = kOpenFilter;
    request.filterIndex = 3;
    request.initialDirectory = directory.Path().string();
    QString shownFilter;
    QString shownDirectory;
    ChooseInNextDialog("blinker.HEX", {}, &shownFilter, &shownDirectory);
    const std::optional<FileChoice> choice = RunOpenFileDialog(request, nullptr);
    QVERIFY(choice.has_value());
    QCOMPARE(shownFilter, QString("*.HEX Hex-Dateien (*.hex)"));
    QCOMPARE(shownDirectory, QDir(QString::fromStdString(directory.Path().string())).absolutePath());
    QCOMPARE(QString::fromStdString(choice->fileName), QString("blinker.HEX"));
    QCOMPARE(QFileInfo(QString::fromStdString(choice->fullPath)).canonicalFilePath(),
             QFileInfo(QString::fromStdString(path)).canonicalFilePath());
    QCOMPARE(choice->filterIndex, 3);

    // The open dialog takes only existing files; a cancel gives no choice.
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    guitest::WhenShown<QFileDialog>([&mode](QFileDialog& dialog) {
      mode = dialog.fileMode();
      dialog.reject();
    });
    QVERIFY(!RunOpenFileDialog(request, nullptr).has_value());
    QCOMPARE(mode, QFileDialog::ExistingFile);
  }

  void saveDialogReportsTheChosenFilterAndProposesTheName() {
    testing::TempDir directory;
    FileDialogRequest request;
    request.filter = kSaveFilter;
    request.filterIndex = 2;
    request.initialDirectory = directory.Path().string();
    request.initialFileName = "blinker";
    request.defaultExtension = "hex";

    QString proposedName;
    guitest::WhenShown<QFileDialog>([&proposedName](QFileDialog& dialog) {
      proposedName = dialog.findChild<QLineEdit*>("fileNameEdit")->text();
      dialog.selectNameFilter("*.HEX Intel32 (*.hex)");
      // Typed into the name field, as a user does; selectFile() would race
      // with the dialog's background directory listing.
      dialog.findChild<QLineEdit*>("fileNameEdit")->setText("chip");
      static_cast<QDialog&>(dialog).accept();
    });
    const std::optional<FileChoice> choice = RunSaveFileDialog(request, nullptr);
    QVERIFY(choice.has_value());
    QCOMPARE(proposedName, QString("blinker"));
    QCOMPARE(choice->filterIndex, 4);
    QCOMPARE(QString::fromStdString(choice->fileName), QString("chip.hex"));

    guitest::WhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    QVERIFY(!RunSaveFileDialog(request, nullptr).has_value());
  }
};

QTEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"
