#include "gui/ComboChoiceList.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/ListEntry.h"

namespace ferolith {

ComboChoiceList::ComboChoiceList(QComboBox& box) : box_(box) {
  // Typed text is taken as a whole name, the same way in both desktop
  // skins: no inline completion that would change it while it is typed.
  box_.setCompleter(nullptr);
  // The box passes its focus and key events on to its edit field without
  // the event system, so both are watched.
  box_.installEventFilter(this);
  if (QLineEdit* edit = box_.lineEdit()) edit->installEventFilter(this);
  connect(&box_, &QComboBox::activated, this, &ComboChoiceList::Chosen);
}

void ComboChoiceList::Clear() { box_.clear(); }

void ComboChoiceList::Add(const std::string& name) { box_.addItem(QString::fromStdString(name)); }

void ComboChoiceList::Select(int index) {
  box_.setCurrentIndex(index >= 0 && index < box_.count() ? index : -1);
}

int ComboChoiceList::Selected() const { return box_.currentIndex(); }

std::vector<std::string> ComboChoiceList::Entries() const {
  std::vector<std::string> entries;
  for (int i = 0; i < box_.count(); ++i) entries.push_back(box_.itemText(i).toStdString());
  return entries;
}

void ComboChoiceList::SettleTypedText() {
  const int named = EntryNamed(Entries(), box_.currentText().toStdString());
  if (named >= 0 && named != box_.currentIndex()) {
    box_.setCurrentIndex(named);
    emit Chosen();
    return;
  }
  // The selected entry's name exactly as listed (nothing when none is).
  box_.setEditText(box_.currentIndex() >= 0 ? box_.itemText(box_.currentIndex()) : QString());
}

bool ComboChoiceList::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    SettleTypedText();
  } else if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      SettleTypedText();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ferolith
