#include "gui/ActivityDlg.h"

#include "gui/DialogUnits.h"
#include "ui_ActivityDlg.h"

namespace ferolith {

CActivityDlg::CActivityDlg(int xKoord, int yKoord, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), form_(std::make_unique<Ui::ActivityDlg>()) {
  form_->setupUi(this);
  LayOutInDialogUnits(*this);
  setWindowTitle(QStringLiteral("KalvenorDevil"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  move(xKoord + 314, yKoord + 103);
}

CActivityDlg::~CActivityDlg() = default;

}  // namespace ferolith
