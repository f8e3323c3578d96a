#include "gui/PrefsDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "app/AccessKeys.h"
#include "app/ControlIds.h"
#include "core/UiServices.h"
#include "gui/ControlLookup.h"
#include "gui/DialogUnits.h"
#include "ui_PrefsDlg.h"

namespace ferolith {

namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }
std::string FromQt(const QString& text) { return text.toStdString(); }

}  // namespace

CPrefsDlg::CPrefsDlg(UiServices& ui, QWidget* parent, const std::vector<MachinePort>& present)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ui_(ui),
      form_(std::make_unique<Ui::PrefsDlg>()),
      portChoices_(PortChoices(present)) {
  form_->setupUi(this);
  for (const MarkedCaption& caption : kPreferencesCaptions) {
    ControlById<QAbstractButton>(*this, caption.control)->setText(QString::fromUtf8(caption.text));
  }
  for (const std::string& choice : portChoices_) form_->control1009->addItem(ToQt(choice));
  // Typed text stays as typed: an inline completion would turn 0x2 into 0x278.
  form_->control1009->setCompleter(nullptr);
  LayOutInDialogUnits(*this);
  connect(form_->control1, &QPushButton::clicked, this, &CPrefsDlg::accept);
  connect(form_->control2, &QPushButton::clicked, this, &CPrefsDlg::reject);
}

CPrefsDlg::~CPrefsDlg() = default;

void CPrefsDlg::SetForm(const PreferencesForm& form) {
  const int choice = PortChoiceFor(form.portText, portChoices_);
  form_->control1009->setCurrentIndex(choice);
  if (choice < 0) form_->control1009->setEditText(ToQt(form.portText));
  form_->control1005->setText(ToQt(form.timeOutText));
  form_->control1016->setText(ToQt(form.correctionText));
  form_->control1017->setText(ToQt(form.lineLengthText));
  form_->control1018->setChecked(form.beep);
  form_->control1019->setChecked(form.endMessage);
}

PreferencesForm CPrefsDlg::Form() const {
  PreferencesForm form;
  form.portText = FromQt(form_->control1009->currentText());
  form.timeOutText = FromQt(form_->control1005->text());
  form.correctionText = FromQt(form_->control1016->text());
  form.lineLengthText = FromQt(form_->control1017->text());
  form.beep = form_->control1018->isChecked();
  form.endMessage = form_->control1019->isChecked();
  return form;
}

void CPrefsDlg::accept() {
  const PreferencesCheck check = CheckPreferences(Form());
  if (check.failedControl != 0) {
    ui_.MessageInfo(check.notice);
    // Into the field, its text marked so that typing replaces it.
    if (QWidget* field = ControlById<QWidget>(*this, check.failedControl)) {
      field->setFocus(Qt::OtherFocusReason);
      auto* edit = qobject_cast<QLineEdit*>(field);
      if (auto* list = qobject_cast<QComboBox*>(field)) edit = list->lineEdit();
      if (edit != nullptr) edit->selectAll();
    }
    return;
  }
  QDialog::accept();
}

void RunPreferencesDialog(Settings& settings, UiServices& ui, QWidget* parent,
                          const std::vector<MachinePort>& present) {
  CPrefsDlg dialog(ui, parent, present);
  dialog.SetForm(PreferencesFromSettings(settings));
  if (dialog.exec() == QDialog::Accepted) ApplyPreferences(dialog.Form(), settings);
}

}  // namespace ferolith
