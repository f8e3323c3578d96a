#pragma once

#include <memory>

#include <QDialog>

#include "app/PreferencesForm.h"

namespace Ui {
class PrefsDlg;
}

namespace ferolith {

class UiServices;

// The preferences dialog "Einstellungen". It shows a PreferencesForm and,
// on OK, checks the fields in control order: the first field that fails
// gets a notice and the focus, and the dialog stays open.
class CPrefsDlg : public QDialog {
  Q_OBJECT

 public:
  // `ui` shows the notices; the port list holds the standard addresses and
  // the machine's ports (PortChoices).
  CPrefsDlg(UiServices& ui, QWidget* parent, const std::vector<MachinePort>& present = {});
  ~CPrefsDlg() override;

  // The port text selects the list entry that is the same address text, or
  // stands in the edit field as it is.
  void SetForm(const PreferencesForm& form);
  PreferencesForm Form() const;

  void accept() override;

 private:
  UiServices& ui_;
  std::unique_ptr<Ui::PrefsDlg> form_;
  std::vector<std::string> portChoices_;
};

// Runs the dialog on a copy of the settings and applies the values only
// when the user confirms with OK.
void RunPreferencesDialog(Settings& settings, UiServices& ui, QWidget* parent,
                          const std::vector<MachinePort>& present = {});

}  // namespace ferolith
