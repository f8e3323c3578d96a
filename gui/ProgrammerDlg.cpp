#include "gui/ProgrammerDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QResizeEvent>

#include <algorithm>
#include <limits>

#include "app/AccessKeys.h"
#include "app/ControlIds.h"
#include "app/ProjectOpening.h"
#include "core/Settings.h"
#include "gui/ActivityDlg.h"
#include "gui/ControlLookup.h"
#include "gui/DialogUnits.h"
#include "gui/FileDialogs.h"
#include "gui/PrefsDlg.h"
#include "ui_ProgrammerDlg.h"

namespace ferolith {

namespace {

int ClampToInt(std::uint32_t value) {
  return static_cast<int>(std::min<std::uint32_t>(value, std::numeric_limits<int>::max()));
}

Answer AnswerOf(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return Answer::Ok;
    case QMessageBox::Retry:
      return Answer::Retry;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;  // Cancel, Esc and the close box
  }
}

}  // namespace

CProgrammerDlg::CProgrammerDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      form_(std::make_unique<Ui::ProgrammerDlg>()) {
  form_->setupUi(this);
  for (const MarkedCaption& caption : kMainWindowCaptions) {
    ControlById<QAbstractButton>(*this, caption.control)->setText(QString::fromUtf8(caption.text));
  }
  LayOutInDialogUnits(*this);
  windowSize_ = size();
  manufacturers_ = std::make_unique<ComboChoiceList>(*form_->control1004);
  devices_ = std::make_unique<ComboChoiceList>(*form_->control1011);
  panel_ = std::make_unique<InitRegister1View>(*this, *this);
  setWindowIcon(QIcon(QStringLiteral(":/pictures/app-icon.png")));
}

CProgrammerDlg::~CProgrammerDlg() = default;

void CProgrammerDlg::BindSettings(Settings& settings) {
  settings_ = &settings;
  panel_->Bind(settings.InitRegister1Value);
}

Answer CProgrammerDlg::ShowMessageBox(const std::string& text, QMessageBox::Icon icon,
                                   QMessageBox::StandardButtons buttons, bool beep) {
  if (beep) QApplication::beep();
  QWidget* owner = QApplication::activeModalWidget();
  QMessageBox box(icon, QStringLiteral("Meldung"), QString::fromStdString(text), buttons,
                  owner != nullptr ? owner : this);
  box.exec();
  return AnswerOf(box.standardButton(box.clickedButton()));
}

Answer CProgrammerDlg::MessageInfo(const std::string& text) {
  return ShowMessageBox(text, QMessageBox::Information, QMessageBox::Ok,
                        settings_ != nullptr && settings_->MessageBeap != 0);
}

Answer CProgrammerDlg::MessageRetryCancel(const std::string& text) {
  return ShowMessageBox(text, QMessageBox::Information, QMessageBox::Retry | QMessageBox::Cancel,
                        settings_ != nullptr && settings_->MessageBeap != 0);
}

Answer CProgrammerDlg::MessageOkCancel(const std::string& text) {
  return ShowMessageBox(text, QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel,
                        settings_ != nullptr && settings_->MessageBeap != 0);
}

Answer CProgrammerDlg::MessageYesNo(const std::string& text) {
  const Answer answer = ShowMessageBox(text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                    settings_ != nullptr && settings_->MessageBeap != 0);
  return answer == Answer::Yes ? Answer::Yes : Answer::No;
}

void CProgrammerDlg::MessagePlain(const std::string& text) {
  ShowMessageBox(text, QMessageBox::NoIcon, QMessageBox::Ok, false);
}

void CProgrammerDlg::SetStatus(const std::string& text) {
  status_ = text;
  ShowStatusLine();
}

void CProgrammerDlg::ShowStatusLine() {
  form_->control1016->setText(QString::fromStdString(closeGate_.StatusLine(status_)));
}

void CProgrammerDlg::Repaint() { repaint(); }

void CProgrammerDlg::SetProgressRange(std::uint32_t upper) {
  form_->control1019->setRange(0, ClampToInt(upper));
}

void CProgrammerDlg::SetProgressPosition(std::uint32_t position) {
  // The last increments of a phase may run past the range; the bar then
  // stays full (Qt would ignore a value outside the range).
  QProgressBar& bar = *form_->control1019;
  bar.setValue(std::min(ClampToInt(position), bar.maximum()));
}

void CProgrammerDlg::PumpMessages() { QCoreApplication::processEvents(); }

void CProgrammerDlg::EnableCancelButton(bool enabled) { form_->control1017->setEnabled(enabled); }

void CProgrammerDlg::SetInputControlsEnabled(bool enabled) {
  for (const int id : kInputControls) ControlById<QWidget>(*this, id)->setEnabled(enabled);
}

void CProgrammerDlg::DisableControls() { SetInputControlsEnabled(false); }

void CProgrammerDlg::EnableControls() { SetInputControlsEnabled(true); }

void CProgrammerDlg::ShowBurnFileName(const std::string& name) {
  form_->control1005->setText(QString::fromStdString(name));
}

void CProgrammerDlg::ShowInitRegister1(std::uint8_t value) { panel_->Show(value); }

void CProgrammerDlg::ShowActivityWindow(bool shown) {
  if (!shown) {
    activity_.reset();
    return;
  }
  // Anchored at the remembered window position, over the decorative
  // picture as the window's dialog units place it.
  const int x = settings_ != nullptr ? settings_->XKoord : geometry().x();
  const int y = settings_ != nullptr ? settings_->YKoord : geometry().y();
  activity_ = std::make_unique<CActivityDlg>(form_->pictureMain->geometry().translated(x, y), this);
  activity_->show();
}

std::optional<FileChoice> CProgrammerDlg::RunOpenDialog(const FileDialogRequest& request) {
  return RunOpenFileDialog(request, this);
}

std::optional<FileChoice> CProgrammerDlg::RunSaveDialog(const FileDialogRequest& request) {
  return RunSaveFileDialog(request, this);
}

void CProgrammerDlg::ShowPreferences() {
  if (settings_ == nullptr) return;
  RunPreferencesDialog(*settings_, *this, this,
                       program_ != nullptr ? program_->MachinePorts() : std::vector<MachinePort>{});
}

void CProgrammerDlg::keyPressEvent(QKeyEvent* event) {
  if (!event->matches(QKeySequence::Cancel)) {
    QDialog::keyPressEvent(event);
    return;
  }
  const std::string running = program_ != nullptr ? program_->RunningCommand() : std::string();
  if (closeGate_.OnEscape(running) == CloseGate::Action::Cancel) {
    form_->control1017->click();  // does nothing while "Abbrechen" is disabled
  } else {
    close();
  }
}

void CProgrammerDlg::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (settings_ == nullptr) return;
  restoreX_ = settings_->XKoord;
  restoreY_ = settings_->YKoord;
  // The client area's top-left corner, as the move is reported.
  settings_->XKoord = geometry().x();
  settings_->YKoord = geometry().y();
}

void CProgrammerDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // The size hints hold the template's size, but the window system may
  // resize past them (X does for any client when no window manager enforces
  // them): the window takes its own size back.
  if (event->size() != windowSize_) resize(windowSize_);
}

void CProgrammerDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || settings_ == nullptr) return;
  if (isMaximized()) {
    // The window has no maximise box; a maximise request from elsewhere
    // puts it back where it was, with its own size.
    settings_->XKoord = restoreX_;
    settings_->YKoord = restoreY_;
    setWindowState(Qt::WindowNoState);
    setGeometry(restoreX_, restoreY_, windowSize_.width(), windowSize_.height());
  }
}

std::string CProgrammerDlg::DroppedProject(const QMimeData* mime) const {
  if (program_ == nullptr || !program_->RunningCommand().empty() || mime == nullptr || !mime->hasUrls()) return {};
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
  const std::string path = urls.front().toLocalFile().toStdString();
  return IsProjectFileName(path) ? path : std::string();
}

void CProgrammerDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedProject(event->mimeData()).empty()) event->acceptProposedAction();
}

void CProgrammerDlg::dropEvent(QDropEvent* event) {
  const std::string path = DroppedProject(event->mimeData());
  if (path.empty()) return;
  event->acceptProposedAction();
  OpenProject(path);
}

void CProgrammerDlg::OpenProject(const std::string& path) {
  if (program_ == nullptr) return;
  program_->OpenProjectFile(path);
  ShowSettings();
}

void CProgrammerDlg::closeEvent(QCloseEvent* event) {
  if (program_ != nullptr && closeGate_.OnCloseRequest(program_->RunningCommand()) == CloseGate::Action::Wait) {
    event->ignore();
    ShowStatusLine();
    return;
  }
  const QRect frame = frameGeometry();
  if (program_ != nullptr && !program_->Close(frame.left(), frame.top())) {
    event->ignore();
    ShowStatusLine();  // no close waits any more
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace ferolith
