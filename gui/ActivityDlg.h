#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class ActivityDlg;
}

namespace ferolith {

// The busy picture window shown while a command holds the programmer: no
// caption bar, titled "KalvenorDevil", placed at (XKoord + 314, YKoord + 103)
// beside the main window. It never takes the focus from the main window.
class CActivityDlg : public QDialog {
  Q_OBJECT

 public:
  CActivityDlg(int xKoord, int yKoord, QWidget* parent);
  ~CActivityDlg() override;

 private:
  std::unique_ptr<Ui::ActivityDlg> form_;
};

}  // namespace ferolith
