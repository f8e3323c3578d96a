#pragma once

#include <QRect>

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

// Pixels per dialog unit on each axis.
struct DialogScale {
  double x = 1.0;
  double y = 1.0;
};

QRect DialogUnitsToPixels(const QRect& units, DialogScale scale);

// Converts the geometry of `dialog` (its client size) and of each of its
// direct child widgets from dialog units to pixels. The scale starts from
// the font's base units and grows, for the whole dialog alike, until every
// caption fits its control: the tables were drawn for a narrow dialog font
// and smaller check marks, and a uniform scale keeps their proportions, so
// nothing is cut off and nothing moves onto its neighbour. A combo box gets
// the height of its closed field (the form's height includes the open list).
void LayOutInDialogUnits(QWidget& dialog);

}  // namespace ferolith
