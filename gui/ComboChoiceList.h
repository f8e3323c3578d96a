#pragma once

#include <string>
#include <vector>

#include <QObject>

#include "config/ChoiceList.h"

class QComboBox;

namespace ferolith {

// A combo box of the main window as the device library fills it: cleared,
// filled in file order and selected by index. Selecting from code does not
// count as the user's selection change (the window reacts to the user's
// choice only).
//
// Its edit field never shows a name other than the selected entry's: text
// typed into it that names an entry (letter case aside) selects that entry
// when Enter is pressed or the field loses the focus; any other text is
// put back to the selected entry's name then. Enter in the field does no
// more (it does not press the window's default button).
class ComboChoiceList : public QObject, public ChoiceList {
  Q_OBJECT

 public:
  explicit ComboChoiceList(QComboBox& box);

  void Clear() override;
  void Add(const std::string& name) override;
  void Select(int index) override;
  int Selected() const override;

 signals:
  // The user chose an entry, from the list or by typing its name.
  void Chosen();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<std::string> Entries() const;
  void SettleTypedText();

  QComboBox& box_;
};

}  // namespace ferolith
