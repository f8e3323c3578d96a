#include "gui/ComboChoiceList.h"

#include <QComboBox>

namespace ferolith {

void ComboChoiceList::Clear() { box_.clear(); }

void ComboChoiceList::Add(const std::string& entry) { box_.addItem(QString::fromStdString(entry)); }

void ComboChoiceList::Select(int index) { box_.setCurrentIndex(index); }

int ComboChoiceList::Selected() const { return box_.currentIndex(); }

int ComboChoiceList::Count() const { return box_.count(); }

}  // namespace ferolith
