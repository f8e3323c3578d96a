#pragma once

#include <QRect>
#include <QSize>

class QFont;
class QWidget;

namespace ferolith {

// The dialog forms under resources/ give every control's geometry in dialog
// units, as the window tables do: a horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its height.
struct DialogBaseUnits {
  int charWidth = 1;
  int charHeight = 1;
};

// The base units of `font`: the average width of the letters A..Z and a..z
// (rounded as the classic dialog manager rounds it) and the line height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base);

// Converts the geometry of `dialog` (its client size) and of each of its
// direct child widgets from dialog units to pixels. A control whose text
// would not fit is widened to its size hint, and a combo box gets the height
// of its closed field (the form's height includes the open list).
void LayOutInDialogUnits(QWidget& dialog);

}  // namespace ferolith
