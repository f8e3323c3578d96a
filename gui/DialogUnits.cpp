#include "gui/DialogUnits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

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

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base) {
  return {units.x() * base.charWidth / 4, units.y() * base.charHeight / 8,
          units.width() * base.charWidth / 4, units.height() * base.charHeight / 8};
}

namespace {

bool ShowsText(const QWidget& widget) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return !label->text().isEmpty();
  return qobject_cast<const QAbstractButton*>(&widget) != nullptr;
}

}  // namespace

void LayOutInDialogUnits(QWidget& dialog) {
  const DialogBaseUnits base = BaseUnitsOf(dialog.font());
  for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    QRect pixels = DialogUnitsToPixels(child->geometry(), base);
    if (ShowsText(*child)) {
      pixels.setWidth(std::max(pixels.width(), child->sizeHint().width()));
    }
    if (qobject_cast<QComboBox*>(child) != nullptr) {
      pixels.setHeight(child->sizeHint().height());
    }
    child->setGeometry(pixels);
  }
  const QRect client = DialogUnitsToPixels(QRect(QPoint(0, 0), dialog.size()), base);
  dialog.setFixedSize(client.size());
}

}  // namespace ferolith
