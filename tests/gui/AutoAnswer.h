#pragma once

#include <deque>
#include <functional>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "app/ControlIds.h"
#include "gui/ControlLookup.h"
#include "gui/PrefsDlg.h"

namespace ferolith::guitest {

// Answers every modal window that comes up while a whole command runs: the
// message boxes with the scripted buttons (OK, or Cancel for a box without
// OK, once the script is used up), the file dialogs with the scripted
// files, the preferences dialog with the scripted port address and OK (with
// Cancel once the script is used up). It records the texts and the button
// captions it saw. With a cancel hook it also clicks "Abbrechen" once that
// button is enabled. It polls at every pass of the event loop, so nothing
// depends on how fast a window comes up.
class AutoAnswer : public QObject {
 public:
  AutoAnswer() {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start();
  }

  void AnswerBoxes(std::initializer_list<QMessageBox::StandardButton> buttons) {
    boxAnswers_.insert(boxAnswers_.end(), buttons);
  }
  // The file is typed into the dialog's name field, as a user does (a
  // selection would race with the dialog's background directory listing);
  // a non-empty `nameFilter` is chosen first.
  void ChooseFile(const QString& path, const QString& nameFilter = {}) {
    files_.push_back({path, nameFilter});
  }
  void SetPortInPreferences(const QString& port) { ports_.push_back(port); }
  // Called at every poll until it returns true.
  void While(std::function<bool()> hook) { hook_ = std::move(hook); }

  const QStringList& Texts() const { return texts_; }
  // The captions of each box's buttons, in the order of Texts().
  const QList<QStringList>& Buttons() const { return buttons_; }
  int PreferencesShown() const { return preferencesShown_; }
  // The port list of the last preferences dialog shown.
  const QStringList& PortChoices() const { return portChoices_; }

 private:
  void Poll() {
    if (hook_ && hook_()) hook_ = nullptr;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      texts_ << box->text();
      QStringList captions;
      for (const QAbstractButton* button : box->buttons()) captions << button->text();
      buttons_ << captions;
      QMessageBox::StandardButton answer = QMessageBox::Ok;
      if (!boxAnswers_.empty()) {
        answer = boxAnswers_.front();
        boxAnswers_.pop_front();
      }
      if (box->button(answer) == nullptr) answer = QMessageBox::Cancel;
      box->button(answer)->click();
    } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      if (files_.empty()) {
        files->reject();
        return;
      }
      const QFileInfo file(files_.front().path);
      if (!files_.front().nameFilter.isEmpty()) files->selectNameFilter(files_.front().nameFilter);
      files->setDirectory(file.absolutePath());
      if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) {
        name->setText(file.fileName());
      } else {
        files->selectFile(file.fileName());
      }
      files_.pop_front();
      static_cast<QDialog*>(files)->accept();
    } else if (auto* preferences = qobject_cast<CPrefsDlg*>(modal)) {
      ++preferencesShown_;
      const auto* portBox = ControlById<QComboBox>(*preferences, PrefsCtl::Port);
      portChoices_.clear();
      for (int i = 0; i < portBox->count(); ++i) portChoices_ << portBox->itemText(i);
      if (ports_.empty()) {
        preferences->reject();
        return;
      }
      ControlById<QComboBox>(*preferences, PrefsCtl::Port)->setEditText(ports_.front());
      ports_.pop_front();
      ControlById<QAbstractButton>(*preferences, PrefsCtl::Ok)->click();
    }
  }

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> boxAnswers_;
  struct File {
    QString path;
    QString nameFilter;
  };
  std::deque<File> files_;
  std::deque<QString> ports_;
  std::function<bool()> hook_;
  QStringList texts_;
  QList<QStringList> buttons_;
  int preferencesShown_ = 0;
  QStringList portChoices_;
};

}  // namespace ferolith::guitest
