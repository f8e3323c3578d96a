#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QDialog>
#include <QMessageBox>

#include "app/Program.h"
#include "core/UiServices.h"
#include "gui/ComboChoiceList.h"
#include "gui/InitRegister1View.h"

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

  // Esc: ends the dialog without the closing steps, but not while a command
  // runs (the nested message pump would otherwise end the window under it).
  void reject() override;

 protected:
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  Answer ShowMessageBox(const std::string& text, QMessageBox::Icon icon,
                     QMessageBox::StandardButtons buttons, bool beep);
  void SetInputControlsEnabled(bool enabled);

  std::unique_ptr<Ui::ProgrammerDlg> form_;
  std::unique_ptr<ComboChoiceList> manufacturers_;
  std::unique_ptr<ComboChoiceList> devices_;
  std::unique_ptr<InitRegister1View> panel_;
  std::unique_ptr<CActivityDlg> activity_;
  Settings* settings_ = nullptr;
  // The machine's parallel ports for the preferences' list.
  std::function<std::vector<MachinePort>()> machinePorts_;
  // Closing steps of the program: false refuses the close request.
  std::function<bool(int x, int y)> closeSteps_;
  QSize windowSize_;  // the size taken once at start-up, kept on a maximise request
  int restoreX_ = 0;
  int restoreY_ = 0;
};

}  // namespace ferolith
