#pragma once

#include <QString>
#include <QWidget>

namespace ferolith {

// Every control of the dialog forms that has an identifier is named
// control<ID> (control1002 is "Brennen"), so code and tests reach it by the
// identifier of the window tables.
inline QString ControlName(int id) { return QStringLiteral("control%1").arg(id); }

template <typename Widget>
Widget* ControlById(const QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(ControlName(id));
}

}  // namespace ferolith
