#include "gui/DialogUnits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ferolith {

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabetWidth =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogBaseUnits base;
  base.charWidth = (alphabetWidth / 26 + 1) / 2;
  base.charHeight = metrics.height();
  return base;
}

QRect DialogUnitsToPixels(const QRect& units, DialogScale scale) {
  const auto toX = [scale](int du) { return static_cast<int>(std::lround(du * scale.x)); };
  const auto toY = [scale](int du) { return static_cast<int>(std::lround(du * scale.y)); };
  const int left = toX(units.x());
  const int top = toY(units.y());
  return {left, top, toX(units.x() + units.width()) - left, toY(units.y() + units.height()) - top};
}

namespace {

bool ShowsText(const QWidget& widget) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return !label->text().isEmpty();
  return qobject_cast<const QAbstractButton*>(&widget) != nullptr;
}

DialogScale ScaleFor(const QWidget& dialog, const QList<QWidget*>& controls) {
  const DialogBaseUnits base = BaseUnitsOf(dialog.font());
  DialogScale scale{base.charWidth / 4.0, base.charHeight / 8.0};
  for (const QWidget* control : controls) {
    const QRect units = control->geometry();
    if (!ShowsText(*control) || units.width() <= 0 || units.height() <= 0) continue;
    const QSize hint = control->sizeHint();
    scale.x = std::max(scale.x, static_cast<double>(hint.width()) / units.width());
    scale.y = std::max(scale.y, static_cast<double>(hint.height()) / units.height());
  }
  return scale;
}

}  // namespace

void LayOutInDialogUnits(QWidget& dialog) {
  const QList<QWidget*> controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  const DialogScale scale = ScaleFor(dialog, controls);
  for (QWidget* control : controls) {
    QRect pixels = DialogUnitsToPixels(control->geometry(), scale);
    if (ShowsText(*control)) {
      // Rounding may leave a pixel less than the caption needs.
      pixels.setWidth(std::max(pixels.width(), control->sizeHint().width()));
    }
    if (qobject_cast<QComboBox*>(control) != nullptr) {
      pixels.setHeight(control->sizeHint().height());
    }
    control->setGeometry(pixels);
  }
  dialog.setFixedSize(DialogUnitsToPixels(QRect(QPoint(0, 0), dialog.size()), scale).size());
}

}  // namespace ferolith
