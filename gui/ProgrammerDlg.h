#pragma once

#include <cstdint>
#include <memory>

#include <QDialog>
#include <QMessageBox>

#include "app/CloseGate.h"
#include "app/Program.h"
#include "core/UiServices.h"
#include "gui/ComboChoiceList.h"
#include "gui/InitRegister1View.h"

class QMimeData;

namespace Ui {
class ProgrammerDlg;
}

namespace ferolith {

class CActivityDlg;
struct Settings;

// The main window "Ferolith V1.02" and its user-interface services: message
// boxes, status line, progress bar, message pump, the input controls around
// an operation, the burn-file name, the InitRegister1 panel and the activity
// window. The program drives it through UiServices and StartupView; its
// controls drive the program once Attach has bound them.
class CProgrammerDlg : public QDialog, public UiServices, public StartupView {
  Q_OBJECT

 public:
  explicit CProgrammerDlg(QWidget* parent = nullptr);
  ~CProgrammerDlg() override;

  ComboChoiceList& Manufacturers() { return *manufacturers_; }
  ComboChoiceList& Devices() { return *devices_; }

  // The settings record the window shows and keeps current: the beep, the
  // window position and the InitRegister1 byte of the panel.
  void BindSettings(Settings& settings);

  // Binds the controls to the commands of `program` and the window to its
  // settings (defined with the command wiring).
  void Attach(Program& program);
  // Runs the start-up sequence of the window on the attached program.
  void OnInitDialog(Program& program);
  // Opens the project file at `path` (named on the command line or dropped
  // onto the window): the lists, the burn file, the InitRegister1 panel and
  // the option boxes follow it; the window title stays.
  void OpenProject(const std::string& path);

  // UiServices.
  Answer MessageInfo(const std::string& text) override;
  Answer MessageRetryCancel(const std::string& text) override;
  Answer MessageOkCancel(const std::string& text) override;
  Answer MessageYesNo(const std::string& text) override;
  void MessagePlain(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void Repaint() override;
  void SetProgressRange(std::uint32_t upper) override;
  void SetProgressPosition(std::uint32_t position) override;
  void PumpMessages() override;
  void EnableCancelButton(bool enabled) override;
  void DisableControls() override;
  void EnableControls() override;
  void ShowBurnFileName(const std::string& name) override;
  void ShowInitRegister1(std::uint8_t value) override;
  void ShowActivityWindow(bool shown) override;
  std::optional<FileChoice> RunOpenDialog(const FileDialogRequest& request) override;
  std::optional<FileChoice> RunSaveDialog(const FileDialogRequest& request) override;

  // StartupView.
  void ShowPreferences() override;

 protected:
  // Esc closes the window as its close button does; while a command runs it
  // presses "Abbrechen" (CloseGate).
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // The window keeps the size of its template, as a dialog of its kind does.
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  // A close request while a command runs waits for its end.
  void closeEvent(QCloseEvent* event) override;
  // One project file dragged over the window while no command runs is
  // taken; anything else is not.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Binds a button to a command; a close asked for while the command ran
  // follows when it has ended.
  template <typename Command>
  void OnClick(int id, Command command);
  void ShowStatusLine();
  Answer ShowMessageBox(const std::string& text, QMessageBox::Icon icon,
                     QMessageBox::StandardButtons buttons, bool beep);
  void SetInputControlsEnabled(bool enabled);
  // The option boxes, the burn file's name and the panel from the settings.
  void ShowSettings();
  // The project file of a drag, when it carries exactly one and no command
  // runs; empty otherwise.
  std::string DroppedProject(const QMimeData* mime) const;

  std::unique_ptr<Ui::ProgrammerDlg> form_;
  std::unique_ptr<ComboChoiceList> manufacturers_;
  std::unique_ptr<ComboChoiceList> devices_;
  std::unique_ptr<InitRegister1View> panel_;
  std::unique_ptr<CActivityDlg> activity_;
  Settings* settings_ = nullptr;
  // The program the controls drive, once attached.
  Program* program_ = nullptr;
  CloseGate closeGate_;
  std::string status_;  // the status line's text as last set
  QSize windowSize_;  // the template's size, kept on a maximise request and any resize
  int restoreX_ = 0;
  int restoreY_ = 0;
};

}  // namespace ferolith
