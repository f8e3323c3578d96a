#include "gui/ComboChoiceList.h"

#include <QComboBox>

namespace ferolith {

void ComboChoiceList::Clear() { box_.clear(); }

void ComboChoiceList::Add(const std::string& name) { box_.addItem(QString::fromStdString(name)); }

void ComboChoiceList::Select(int index) {
  box_.setCurrentIndex(index >= 0 && index < box_.count() ? index : -1);
}

int ComboChoiceList::Selected() const { return box_.currentIndex(); }

}  // namespace ferolith
