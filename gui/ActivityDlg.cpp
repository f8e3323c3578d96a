#include "gui/ActivityDlg.h"

#include <QCloseEvent>

#include "gui/DialogUnits.h"
#include "ui_ActivityDlg.h"

namespace ferolith {

CActivityDlg::CActivityDlg(const QRect& over, QWidget* parent)
    // Without the title hint the window keeps its border but has no caption
    // bar and no buttons.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), form_(std::make_unique<Ui::ActivityDlg>()) {
  form_->setupUi(this);
  LayOutInDialogUnits(*this);
  setWindowTitle(QStringLiteral("KalvenorDevil"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  QRect client(QPoint(0, 0), size());
  client.moveCenter(over.center());
  setGeometry(client);
}

CActivityDlg::~CActivityDlg() = default;

void CActivityDlg::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace ferolith
