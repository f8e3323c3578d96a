#pragma once

#include <string>

class QComboBox;

namespace ferolith {

// A combo box of the main window as the device library fills it: cleared,
// filled in file order and selected by index. Selecting from code does not
// count as the user's selection change.
class ComboChoiceList {
 public:
  explicit ComboChoiceList(QComboBox& box) : box_(box) {}

  void Clear();
  void Add(const std::string& entry);
  void Select(int index);
  int Selected() const;
  int Count() const;

 private:
  QComboBox& box_;
};

}  // namespace ferolith
