#pragma once

#include <string>

#include "config/ChoiceList.h"

class QComboBox;

namespace ferolith {

// A combo box of the main window as the device library fills it: cleared,
// filled in file order and selected by index. Selecting from code does not
// count as the user's selection change (the window reacts to the user's
// choice only).
class ComboChoiceList : public ChoiceList {
 public:
  explicit ComboChoiceList(QComboBox& box) : box_(box) {}

  void Clear() override;
  void Add(const std::string& name) override;
  void Select(int index) override;
  int Selected() const override;

 private:
  QComboBox& box_;
};

}  // namespace ferolith
