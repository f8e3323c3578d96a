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

template <typename Command>
void CProgrammerDlg::OnClick(int id, Command command) {
  connect(ControlById<QPushButton>(*this, id), &QPushButton::clicked, this, [this, command] {
    command();
    if (closeGate_.CloseIsDue()) close();
  });
}

void CProgrammerDlg::Attach(Program& program) {
  BindSettings(program.State().settings);
  program_ = &program;

  OnClick(Ctl::Leertest, [&program] { program.OnLeertest(); });
  OnClick(Ctl::Auslesen, [&program] { program.OnAuslesen(); });
  OnClick(Ctl::Brennen, [&program] { program.OnBrennen(); });
  OnClick(Ctl::Pruefen, [&program] { program.OnPruefen(); });
  OnClick(Ctl::NeueDatei, [&program] { program.ChooseBurnFile(); });
  OnClick(Ctl::InitRegister, [&program] { program.OnInitRegister(); });
  OnClick(Ctl::Abbrechen, [&program] { program.OnAbbrechen(); });
  OnClick(Ctl::Prefs, [&program] { program.OnPrefs(); });

  const auto onOption = [this](int id, auto command) {
    connect(ControlById<QCheckBox>(*this, id), &QCheckBox::clicked, this, command);
  };
  onOption(Ctl::BausteinPruefen, [&program](bool checked) { program.OnBausteinPruefen(checked); });
  onOption(Ctl::LeerzellenSpeichern,
           [&program](bool checked) { program.OnLeerzellenSpeichern(checked); });
  onOption(Ctl::ChecksummenPruefen,
           [&program](bool checked) { program.OnChecksummenPruefen(checked); });

  // Only the user's choices count; the fills select from code.
  connect(manufacturers_.get(), &ComboChoiceList::Chosen, this, [&program] { program.OnManufacturerChanged(); });
  connect(devices_.get(), &ComboChoiceList::Chosen, this, [&program] { program.OnDeviceChanged(); });
}

void CProgrammerDlg::OnInitDialog(Program& program) {
  setWindowTitle(QStringLiteral("Ferolith V1.02"));

  program.LoadSettings();
  Settings& settings = program.State().settings;
  restoreX_ = settings.XKoord;
  restoreY_ = settings.YKoord;
  move(settings.XKoord, settings.YKoord);

  program.PrepareHardware();

  ShowSettings();
  program.FillLists();
  EnableCancelButton(false);
  program.State().CancelRequested = 0;
  setAcceptDrops(true);
}

void CProgrammerDlg::ShowSettings() {
  const Settings& settings = program_->State().settings;
  form_->control1012->setChecked(settings.Verify != 0);
  form_->control1013->setChecked(settings.FFSave != 0);
  form_->control1022->setChecked(settings.TestChecksum != 0);
  ShowBurnFileName(settings.BurnFileName);
  panel_->Update();
}

}  // namespace ferolith
