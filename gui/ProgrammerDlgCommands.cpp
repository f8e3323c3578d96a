// The message map of the main window: which control runs which command of
// the program, and the window's start-up sequence.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/ControlIds.h"
#include "gui/ControlLookup.h"
#include "gui/ProgrammerDlg.h"
#include "ui_ProgrammerDlg.h"

namespace ferolith {

void CProgrammerDlg::Attach(Program& program) {
  BindSettings(program.State().settings);
  closeSteps_ = [&program](int x, int y) { return program.Close(x, y); };
  machinePorts_ = [&program] { return program.MachinePorts(); };

  const auto onClick = [this](int id, auto command) {
    connect(ControlById<QPushButton>(*this, id), &QPushButton::clicked, this, command);
  };
  onClick(Ctl::Leertest, [&program] { program.OnLeertest(); });
  onClick(Ctl::Auslesen, [&program] { program.OnAuslesen(); });
  onClick(Ctl::Brennen, [&program] { program.OnBrennen(); });
  onClick(Ctl::Pruefen, [&program] { program.OnPruefen(); });
  onClick(Ctl::NeueDatei, [&program] { program.ChooseBurnFile(); });
  onClick(Ctl::InitRegister, [&program] { program.OnInitRegister(); });
  onClick(Ctl::Abbrechen, [&program] { program.OnAbbrechen(); });
  onClick(Ctl::Prefs, [&program] { program.OnPrefs(); });

  const auto onOption = [this](int id, auto command) {
    connect(ControlById<QCheckBox>(*this, id), &QCheckBox::clicked, this, command);
  };
  onOption(Ctl::BausteinPruefen, [&program](bool checked) { program.OnBausteinPruefen(checked); });
  onOption(Ctl::LeerzellenSpeichern,
           [&program](bool checked) { program.OnLeerzellenSpeichern(checked); });
  onOption(Ctl::ChecksummenPruefen,
           [&program](bool checked) { program.OnChecksummenPruefen(checked); });

  // Only the user's selections count; the fills select from code.
  connect(form_->control1004, &QComboBox::activated, this,
          [&program] { program.OnManufacturerChanged(); });
  connect(form_->control1011, &QComboBox::activated, this,
          [&program] { program.OnDeviceChanged(); });
}

void CProgrammerDlg::OnInitDialog(Program& program) {
  setWindowTitle(QStringLiteral("Ferolith V1.02"));
  windowSize_ = size();

  program.LoadSettings();
  Settings& settings = program.State().settings;
  restoreX_ = settings.XKoord;
  restoreY_ = settings.YKoord;
  move(settings.XKoord, settings.YKoord);

  program.PrepareHardware();

  form_->control1012->setChecked(settings.Verify != 0);
  form_->control1013->setChecked(settings.FFSave != 0);
  form_->control1022->setChecked(settings.TestChecksum != 0);
  ShowBurnFileName(settings.BurnFileName);
  panel_->Update();
  program.FillLists();
  EnableCancelButton(false);
  program.State().CancelRequested = 0;
}

}  // namespace ferolith
