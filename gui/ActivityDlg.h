#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class ActivityDlg;
}

namespace ferolith {

// The busy picture window shown while a command holds the programmer: a
// thin frame without caption bar, titled "KalvenorDevil", laid out in
// dialog units and centred over `over` (screen pixels: the main window's
// decorative picture, whose place it takes). It never takes the focus from
// the main window.
class CActivityDlg : public QDialog {
  Q_OBJECT

 public:
  CActivityDlg(const QRect& over, QWidget* parent);
  ~CActivityDlg() override;

  // The window lives exactly as long as its command: neither Esc nor a
  // close request from the window manager ends it while the pumps of the
  // running command deliver them.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<Ui::ActivityDlg> form_;
};

}  // namespace ferolith
